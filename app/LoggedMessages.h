#pragma once

#include "app/MessagePresenter.h"

namespace corvane {

// For --screenshot: nobody is there to dismiss a box, so its text goes to the log instead.
class LoggedMessages : public MessagePresenter {
  public:
    void ShowModal(QWidget* owner, const Message& message) override;
    // Nobody can answer; the program is ending anyway.
    bool Ask(QWidget* owner, const Message& message) override;
    void CloseQuestion() override {}
    void ShowOwnerless(const Message& message, std::function<void()> dismissed) override;
};

}  // namespace corvane
