#include "cli/SignalStop.h"

#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace corvane::cli {

namespace {

constexpr int Signals[3] = {SIGINT, SIGTERM, SIGHUP};

volatile sig_atomic_t received = 0;
// The handlers in place before, put back afterwards.
struct sigaction previous[3];
struct sigaction previousPipe;
// Set before the handler is installed, cleared after it is gone.
StopRequest* target = nullptr;

void OnSignal(int signal) {
    // The interrupted code may be about to read errno (a write's EAGAIN); the notice's write must
    // not change it.
    const int savedErrno = errno;
    if (received != 0) {
        [[maybe_unused]] const ssize_t ignored =
            ::write(STDERR_FILENO, AbandonNotice, sizeof AbandonNotice - 1);
        ::signal(signal, SIG_DFL);
        ::raise(signal);
        return;
    }
    received = signal;
    target->Request();
    // Only async-signal-safe calls here; the result cannot be acted on.
    const std::string_view notice = SignalStop::Notice();
    [[maybe_unused]] const ssize_t ignored = ::write(STDERR_FILENO, notice.data(), notice.size());
    errno = savedErrno;
}

}  // namespace

SignalStop::SignalStop(StopRequest& stop) {
    received = 0;
    ForgetPhase();
    target = &stop;
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    // Interrupted reads and writes resume; the port and the clock retry their waits themselves.
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < 3; ++i) {
        sigaction(Signals[i], &action, &previous[i]);
    }
    // A reader of the output that went away (tee ended by the same Ctrl-C) must not end the run
    // before the closing sequence: writes to it fail with EPIPE instead, and output is dropped.
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, &previousPipe);
}

SignalStop::~SignalStop() {
    sigaction(SIGPIPE, &previousPipe, nullptr);
    for (int i = 0; i < 3; ++i) {
        sigaction(Signals[i], &previous[i], nullptr);
    }
    target = nullptr;
}

int SignalStop::Received() {
    return received;
}

}  // namespace corvane::cli
