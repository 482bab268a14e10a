#include "cli/InterruptDeferral.h"

#include <unistd.h>

namespace corvane::cli {

namespace {

constexpr int Signals[3] = {SIGINT, SIGTERM, SIGHUP};

volatile sig_atomic_t received = 0;

void OnSignal(int signal) {
    if (received != 0) {
        ::signal(signal, SIG_DFL);
        ::raise(signal);
        return;
    }
    received = signal;
    static constexpr char Notice[] =
        "\ncorvane-update: finishing the update so that the module is not left half-written; "
        "interrupt again to stop at once\n";
    // Only async-signal-safe calls here; the result cannot be acted on.
    [[maybe_unused]] const ssize_t ignored = ::write(STDERR_FILENO, Notice, sizeof Notice - 1);
}

}  // namespace

InterruptDeferral::InterruptDeferral() {
    received = 0;
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    // Interrupted sleeps and reads resume, as the port and the clock expect.
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < 3; ++i) {
        sigaction(Signals[i], &action, &previous[i]);
    }
}

InterruptDeferral::~InterruptDeferral() {
    for (int i = 0; i < 3; ++i) {
        sigaction(Signals[i], &previous[i], nullptr);
    }
}

int InterruptDeferral::Received() {
    return received;
}

}  // namespace corvane::cli
