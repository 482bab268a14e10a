#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace corvane {

enum class MessageIcon { None, Exclamation };

struct Message {
    QString text;  // the system's own text, line breaks as "\r\n" or "\r"
    QString caption;
    MessageIcon icon = MessageIcon::None;
};

// Shows message boxes with one OK button. A seam so that tests can read and dismiss them.
class MessagePresenter {
  public:
    virtual ~MessagePresenter() = default;
    // Owned by owner and modal to it; returns when the box has been dismissed.
    virtual void ShowModal(QWidget* owner, const Message& message) = 0;
    // Without owner and modal to nothing; returns at once. dismissed runs on the GUI thread
    // when the operator has closed the box.
    virtual void ShowOwnerless(const Message& message, std::function<void()> dismissed) = 0;
};

}  // namespace corvane
