#pragma once

#include "upload/StopRequest.h"

namespace corvane::cli {

// While one exists, the first SIGINT, SIGTERM or SIGHUP does not end the process: it requests
// the stop, so that the update ends at the next block boundary with the module switched off and
// the port and the file closed, and the operator is told so. A second one ends the process at
// once, the usual way for that signal. One at a time. On Windows Ctrl+C counts as SIGINT,
// Ctrl+Break and closing the console as SIGTERM.
class SignalStop {
  public:
    explicit SignalStop(StopRequest& stop);
    ~SignalStop();
    SignalStop(const SignalStop&) = delete;
    SignalStop& operator=(const SignalStop&) = delete;

    // The first signal that arrived, 0 while none did.
    static int Received();
};

// What the first signal prints.
inline constexpr char StopNotice[] =
    "\ncorvane-update: stopping after the block in progress, so that the module is switched off "
    "and the port closed; interrupt again to stop at once\n";
// What the second prints, just before the process ends.
inline constexpr char AbandonNotice[] =
    "\ncorvane-update: stopped at once; the module may be left in the middle of a block: the next "
    "update resets it\n";

}  // namespace corvane::cli
