#pragma once

#include <cstdint>

#include "platform/Clock.h"

namespace corvane::platform::posix {

// Milliseconds on the monotonic clock, untruncated: for deadlines inside the backend.
uint64_t MonotonicMilliseconds();
// Sleeps at least the given time, resuming after signals with what remains.
void SleepMilliseconds(uint64_t milliseconds);

// The running system's millisecond tick count and sleep.
class SystemClock final : public Clock {
  public:
    // The monotonic clock in milliseconds, truncated to 32 bits: it wraps like any tick count.
    uint32_t TickCount() override { return static_cast<uint32_t>(MonotonicMilliseconds()); }
    void Sleep(uint32_t milliseconds) override { SleepMilliseconds(milliseconds); }
};

}  // namespace corvane::platform::posix
