#pragma once

#include <functional>

#include "app/core/Message.h"

class QWidget;

namespace corvane {

// Shows message boxes. A seam so that tests can read, answer and dismiss them.
class MessagePresenter {
  public:
    virtual ~MessagePresenter() = default;
    // One OK button, owned by owner and modal to it; returns when the box has been dismissed.
    virtual void ShowModal(QWidget* owner, const Message& message) = 0;
    // Yes and No, owned by owner and modal to it; true for Yes.
    virtual bool Ask(QWidget* owner, const Message& message) = 0;
    // Closes the question that Ask has open, if any, so that Ask returns false.
    virtual void CloseQuestion() = 0;
    // One OK button, without owner and modal to nothing; returns at once. dismissed runs on the
    // GUI thread when the operator has closed the box.
    virtual void ShowOwnerless(const Message& message, std::function<void()> dismissed) = 0;
};

}  // namespace corvane
