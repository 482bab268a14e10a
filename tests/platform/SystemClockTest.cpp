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
        const uint64_t slept = MonotonicMilliseconds() - before;
        EXPECT_GE(slept, 40u) << (interrupted ? "with signals" : "quiet");
        EXPECT_LT(slept, 400u);
        EXPECT_GE(clock.TickCount() - tickBefore, 39u) << "ticks follow the monotonic clock";
    }
}

}  // namespace
}  // namespace corvane::platform::posix
