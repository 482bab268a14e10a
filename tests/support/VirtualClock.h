#pragma once

#include <cstdint>
#include <vector>

#include "platform/Clock.h"

namespace corvane::test {

class EventLog;

// A clock that moves only when something sleeps or a fake waits on it, so multi-second
// time-outs run in microseconds. Time is kept as milliseconds since construction; the tick count
// starts at a chosen value so that tests can put the 32-bit wrap-around inside an exchange.
class VirtualClock : public platform::Clock {
  public:
    explicit VirtualClock(uint32_t startTick = 0) : startTick(startTick) {}

    uint32_t TickCount() override { return startTick + static_cast<uint32_t>(elapsed); }
    // Advances the time and records the sleep (also in the attached log, if any).
    void Sleep(uint32_t milliseconds) override;

    // Moves time on without recording a sleep: how a fake models a blocking wait.
    void Advance(uint64_t milliseconds) { elapsed += milliseconds; }
    uint64_t Elapsed() const { return elapsed; }

    const std::vector<uint32_t>& Sleeps() const { return sleeps; }
    uint64_t TotalSlept() const;

    void RecordInto(EventLog* log) { this->log = log; }

  private:
    uint32_t startTick;
    uint64_t elapsed = 0;
    std::vector<uint32_t> sleeps;
    EventLog* log = nullptr;
};

}  // namespace corvane::test
