#pragma once

#include <QMessageBox>
#include <QPointer>

#include "app/MessagePresenter.h"

namespace corvane {

class QtMessagePresenter : public MessagePresenter {
  public:
    void ShowModal(QWidget* owner, const Message& message) override;
    bool Ask(QWidget* owner, const Message& message) override;
    void CloseQuestion() override;
    void ShowOwnerless(const Message& message, std::function<void()> dismissed) override;

    // The box as the operator sees it, wide enough for its caption; the caller owns it.
    static QMessageBox* CreateBox(QWidget* owner, const Message& message,
                                  QMessageBox::StandardButtons buttons = QMessageBox::Ok);

  private:
    QPointer<QMessageBox> question;
};

}  // namespace corvane
