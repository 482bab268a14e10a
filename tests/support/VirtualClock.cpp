#include "tests/support/VirtualClock.h"

#include <numeric>

#include "tests/support/EventLog.h"

namespace corvane::test {

void VirtualClock::Sleep(uint32_t milliseconds) {
    if (log != nullptr) {
        log->Add({.kind = EventKind::Sleep, .value = milliseconds});
    }
    sleeps.push_back(milliseconds);
    elapsed += milliseconds;
}

uint64_t VirtualClock::TotalSlept() const {
    return std::accumulate(sleeps.begin(), sleeps.end(), uint64_t{0});
}

}  // namespace corvane::test
