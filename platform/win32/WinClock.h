#pragma once

#include <cstdint>

#include "platform/Clock.h"

namespace corvane::platform::win32 {

// The system's millisecond tick count (GetTickCount: 32 bits, wraps after 49.7 days, moves in
// steps of up to about 16 ms) and Sleep.
class WinClock final : public Clock {
  public:
    uint32_t TickCount() override;
    void Sleep(uint32_t milliseconds) override;
};

}  // namespace corvane::platform::win32
