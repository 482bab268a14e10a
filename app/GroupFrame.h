#pragma once

#include <QRect>
#include <QString>
#include <QWidget>

namespace corvane {

// A group box as a native dialog draws it: a frame whose top line runs through the middle of its
// caption, the caption on the frame near its left end. Only a frame: it lies beneath the controls
// it surrounds and lets their clicks pass.
class GroupFrame : public QWidget {
    Q_OBJECT

  public:
    GroupFrame(const QString& caption, QWidget* parent);

    QString Caption() const { return caption; }
    // Where the caption is drawn, in the frame's coordinates.
    QRect CaptionRect() const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString caption;
};

}  // namespace corvane
