#include "platform/win32/WinClock.h"

#include <windows.h>

namespace corvane::platform::win32 {

uint32_t WinClock::TickCount() {
    return GetTickCount();
}

void WinClock::Sleep(uint32_t milliseconds) {
    ::Sleep(milliseconds);
}

}  // namespace corvane::platform::win32
