#include "platform/posix/SystemClock.h"

#include <cerrno>
#include <ctime>

namespace corvane::platform::posix {

uint64_t MonotonicMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000u +
           static_cast<uint64_t>(now.tv_nsec) / 1000000u;
}

void SleepMilliseconds(uint64_t milliseconds) {
    timespec remaining{.tv_sec = static_cast<time_t>(milliseconds / 1000u),
                       .tv_nsec = static_cast<long>(milliseconds % 1000u) * 1000000L};
    while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
    }
}

}  // namespace corvane::platform::posix
