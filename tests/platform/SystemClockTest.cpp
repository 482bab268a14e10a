#include "platform/posix/SystemClock.h"

#include <gtest/gtest.h>

#include <optional>

#include "tests/platform/SignalStorm.h"

namespace corvane::platform::posix {
namespace {

TEST(SystemClock, SleepsAtLeastTheTimeAskedEvenWhenSignalsInterrupt) {
    SystemClock clock;
    for (const bool interrupted : {false, true}) {
        std::optional<test::SignalStorm> storm;
        if (interrupted) {
            storm.emplace();
        }
        const uint64_t before = MonotonicMilliseconds();
        const uint32_t tickBefore = clock.TickCount();
        clock.Sleep(40);
        const uint32_t ticks = clock.TickCount() - tickBefore;
        const uint64_t slept = MonotonicMilliseconds() - before;
        EXPECT_GE(slept, 40u) << (interrupted ? "with signals" : "quiet");
        EXPECT_LT(slept, 400u);
        EXPECT_GE(ticks, 39u) << "the tick count follows the monotonic clock";
    }
}

TEST(SystemClock, TickCountIsTheMonotonicClockTruncated) {
    SystemClock clock;
    const uint64_t full = MonotonicMilliseconds();
    const uint32_t tick = clock.TickCount();
    EXPECT_LE(static_cast<uint32_t>(tick - static_cast<uint32_t>(full)), 5u);
}

}  // namespace
}  // namespace corvane::platform::posix
