#pragma once

#include <string>

#include "app/core/Message.h"

#include <windows.h>

namespace corvane {

// UTF-8 text for the system's wide functions; text that is no UTF-8 cannot come from the rules,
// and is shown empty rather than cut.
std::wstring Wide(const std::string& text);

// A message box for the rules' message, owned by owner (none for null), with the buttons and
// the message's icon; what was pressed.
int MessageBoxFor(HWND owner, const Message& message, UINT buttons);

}  // namespace corvane
