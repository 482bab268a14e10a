#include "app/GroupFrame.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStyle>

namespace corvane {

GroupFrame::GroupFrame(const QString& caption, QWidget* parent)
    : QWidget(parent), caption(caption) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

QRect GroupFrame::CaptionRect() const {
    const QFontMetrics metrics = fontMetrics();
    const int character = metrics.averageCharWidth();
    // A little room either side, so that the frame's line stops short of the text.
    return QRect(character, 0, metrics.horizontalAdvance(caption) + character, metrics.height());
}

void GroupFrame::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // Etched: a shadow line with a light one inside it, the way a dialog's frames are cut in.
    const QRect frame = rect().adjusted(0, fontMetrics().height() / 2, -1, -1);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawRect(frame.translated(1, 1));
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(frame.adjusted(0, 0, -1, -1));
    const QRect text = CaptionRect();
    painter.fillRect(text, palette().window());
    style()->drawItemText(&painter, text, Qt::AlignCenter, palette(), isEnabled(), caption,
                          QPalette::WindowText);
}

}  // namespace corvane
