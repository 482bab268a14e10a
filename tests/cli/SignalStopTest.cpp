#include "cli/SignalStop.h"

#include <gtest/gtest.h>

#include <csignal>

namespace corvane::cli {
namespace {

sighandler_t CurrentHandler(int signal) {
    struct sigaction current = {};
    sigaction(signal, nullptr, &current);
    return current.sa_handler;
}

TEST(SignalStopTest, FirstSignalRequestsTheStopAndHandlersComeBack) {
    const int signals[] = {SIGINT, SIGTERM, SIGHUP};
    sighandler_t before[3];
    for (int i = 0; i < 3; ++i) {
        before[i] = CurrentHandler(signals[i]);
    }
    for (const int signal : signals) {
        StopRequest stop;
        {
            const SignalStop stopping(stop);
            EXPECT_EQ(SignalStop::Received(), 0) << "each one starts afresh";
            std::raise(signal);
            EXPECT_EQ(SignalStop::Received(), signal);
            EXPECT_TRUE(stop.Requested());
        }
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(CurrentHandler(signals[i]), before[i]) << signals[i];
        }
    }
}

// The first notice says what the run is doing when the signal comes.
TEST(SignalStopDeathTest, SecondSignalEndsTheProcess) {
    EXPECT_EXIT(
        {
            StopRequest stop;
            const SignalStop stopping(stop);
            SignalStop::NotePhase(UploadPhase::FindingRate);
            std::raise(SIGINT);
            std::raise(SIGTERM);
            std::exit(0);
        },
        ::testing::KilledBySignal(SIGTERM),
        "stopping the rate search(.|\n)*may be left in the middle of a block");
}

}  // namespace
}  // namespace corvane::cli
