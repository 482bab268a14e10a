#pragma once

#include <signal.h>
#include <sys/time.h>

namespace corvane::test {

// Interrupts the process with SIGALRM every few milliseconds while it lives, with a handler
// installed without SA_RESTART: every blocking call in between fails with EINTR.
class SignalStorm {
  public:
    explicit SignalStorm(long intervalMicroseconds = 2000) {
        struct sigaction action {};
        action.sa_handler = [](int) {};
        sigemptyset(&action.sa_mask);
        sigaction(SIGALRM, &action, &previous);
        const itimerval timer{{0, intervalMicroseconds}, {0, intervalMicroseconds}};
        setitimer(ITIMER_REAL, &timer, nullptr);
    }
    ~SignalStorm() {
        const itimerval off{};
        setitimer(ITIMER_REAL, &off, nullptr);
        sigaction(SIGALRM, &previous, nullptr);
    }
    SignalStorm(const SignalStorm&) = delete;
    SignalStorm& operator=(const SignalStorm&) = delete;

  private:
    struct sigaction previous {};
};

}  // namespace corvane::test
