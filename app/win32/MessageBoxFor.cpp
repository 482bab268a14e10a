#include "app/win32/MessageBoxFor.h"

#include "platform/win32/WideText.h"

namespace corvane {
namespace {

UINT IconStyle(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information:
            return MB_ICONINFORMATION;
        case MessageIcon::Question:
            return MB_ICONQUESTION;
        case MessageIcon::Exclamation:
            break;
    }
    return MB_ICONEXCLAMATION;
}

}  // namespace

std::wstring Wide(const std::string& text) {
    return platform::win32::WideFromUtf8(text).value_or(std::wstring());
}

int MessageBoxFor(HWND owner, const Message& message, UINT buttons) {
    return MessageBoxW(owner, Wide(message.text).c_str(), Wide(message.caption).c_str(),
                       buttons | IconStyle(message.icon));
}

}  // namespace corvane
