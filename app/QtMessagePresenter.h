#pragma once

#include "app/MessagePresenter.h"

class QMessageBox;

namespace corvane {

class QtMessagePresenter : public MessagePresenter {
  public:
    void ShowModal(QWidget* owner, const Message& message) override;
    void ShowOwnerless(const Message& message, std::function<void()> dismissed) override;

    // The box as the operator sees it; the caller owns it.
    static QMessageBox* CreateBox(QWidget* owner, const Message& message);
};

}  // namespace corvane
