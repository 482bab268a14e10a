#include "app/LoggedMessages.h"

#include <QtGlobal>

namespace corvane {

void LoggedMessages::ShowModal(QWidget*, const Message& message) {
    qWarning("%s: %s", message.caption.c_str(), message.text.c_str());
}

bool LoggedMessages::Ask(QWidget*, const Message& message) {
    ShowModal(nullptr, message);
    return true;
}

void LoggedMessages::ShowOwnerless(const Message& message, std::function<void()> dismissed) {
    ShowModal(nullptr, message);
    dismissed();
}

}  // namespace corvane
