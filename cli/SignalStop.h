#pragma once

#include <csignal>

namespace corvane::cli {

// While one exists, the first SIGINT, SIGTERM or SIGHUP does not end the process: it is noted
// and the operator told that the update runs on to its end, so that the module is switched off
// and the port closed rather than left in the middle of a block. A second one ends the process
// the usual way. One at a time.
class InterruptDeferral {
  public:
    InterruptDeferral();
    ~InterruptDeferral();
    InterruptDeferral(const InterruptDeferral&) = delete;
    InterruptDeferral& operator=(const InterruptDeferral&) = delete;

    // The first signal that arrived, 0 while none did.
    static int Received();

  private:
    struct sigaction previous[3];
};

}  // namespace corvane::cli
