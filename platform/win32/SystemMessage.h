#pragma once

#include <windows.h>

#include <string>

namespace corvane::platform::win32 {

// The system's own words for an error code, without the line end it adds; "system error <n>"
// when it has none.
std::string SystemMessage(DWORD error);

}  // namespace corvane::platform::win32
