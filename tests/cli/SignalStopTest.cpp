#include "cli/InterruptDeferral.h"

#include <gtest/gtest.h>

#include <csignal>

namespace corvane::cli {
namespace {

sighandler_t CurrentHandler(int signal) {
    struct sigaction current = {};
    sigaction(signal, nullptr, &current);
    return current.sa_handler;
}

TEST(InterruptDeferralTest, FirstSignalIsNotedAndHandlersComeBack) {
    const int signals[] = {SIGINT, SIGTERM, SIGHUP};
    sighandler_t before[3];
    for (int i = 0; i < 3; ++i) {
        before[i] = CurrentHandler(signals[i]);
    }
    {
        const InterruptDeferral deferral;
        EXPECT_EQ(InterruptDeferral::Received(), 0);
        std::raise(SIGTERM);
        EXPECT_EQ(InterruptDeferral::Received(), SIGTERM);
    }
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(CurrentHandler(signals[i]), before[i]) << signals[i];
    }
    const InterruptDeferral next;
    EXPECT_EQ(InterruptDeferral::Received(), 0) << "each deferral starts afresh";
}

TEST(InterruptDeferralDeathTest, SecondSignalEndsTheProcess) {
    EXPECT_EXIT(
        {
            const InterruptDeferral deferral;
            std::raise(SIGINT);
            std::raise(SIGHUP);
            std::exit(0);
        },
        ::testing::KilledBySignal(SIGHUP), "finishing the update");
}

}  // namespace
}  // namespace corvane::cli
