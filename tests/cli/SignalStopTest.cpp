#include "cli/SignalStop.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace corvane::cli {
namespace {

sighandler_t CurrentHandler(int signal) {
    struct sigaction current = {};
    sigaction(signal, nullptr, &current);
    return current.sa_handler;
}

TEST(SignalStopTest, FirstSignalRequestsTheStopAndHandlersComeBack) {
    // SIGPIPE is ignored while one exists, and comes back too.
    const int signals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};
    sighandler_t before[4];
    for (int i = 0; i < 4; ++i) {
        before[i] = CurrentHandler(signals[i]);
    }
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        StopRequest stop;
        {
            const SignalStop stopping(stop);
            EXPECT_EQ(SignalStop::Received(), 0) << "each one starts afresh";
            std::raise(signal);
            EXPECT_EQ(SignalStop::Received(), signal);
            EXPECT_TRUE(stop.Requested());
        }
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(CurrentHandler(signals[i]), before[i]) << signals[i];
        }
    }
}

// The notice's write fails here (stderr closed); the interrupted code still sees its own errno.
TEST(SignalStopTest, HandlerLeavesErrnoAsItFoundIt) {
    StopRequest stop;
    const SignalStop stopping(stop);
    const int savedStderr = dup(STDERR_FILENO);
    ASSERT_GE(savedStderr, 0);
    close(STDERR_FILENO);
    errno = EAGAIN;
    std::raise(SIGINT);
    const int after = errno;
    dup2(savedStderr, STDERR_FILENO);
    close(savedStderr);
    EXPECT_TRUE(stop.Requested());
    EXPECT_EQ(after, EAGAIN);
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
