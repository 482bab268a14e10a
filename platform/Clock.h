#pragma once

#include <cstdint>

namespace corvane::platform {

// Millisecond tick count (wraps around like any 32-bit counter) and sleep. The link takes both
// through this seam so that tests of multi-second time-outs can run on virtual time.
class Clock {
public:
    virtual ~Clock() = default;
    virtual uint32_t TickCount() = 0;
    virtual void Sleep(uint32_t milliseconds) = 0;
};

}  // namespace corvane::platform
