#pragma once

#include <string_view>

#include "upload/StopRequest.h"
#include "upload/UploadPhase.h"

namespace corvane::cli {

// While one exists, the first SIGINT, SIGTERM or SIGHUP does not end the process: it requests
// the stop, so that the update ends at its next probe, command or block boundary with the port
// and the file closed (and the module switched off once it has answered), and the operator is
// told what is being stopped. A second one ends the process at once, the usual way for that
// signal. One at a time. On Windows Ctrl+C counts as SIGINT, Ctrl+Break and closing the console
// as SIGTERM. While one exists on POSIX, SIGPIPE is ignored: output whose reader went away is
// dropped, and the run still ends its own way.
class SignalStop {
  public:
    explicit SignalStop(StopRequest& stop);
    ~SignalStop();
    SignalStop(const SignalStop&) = delete;
    SignalStop& operator=(const SignalStop&) = delete;

    // The first signal that arrived, 0 while none did.
    static int Received();

    // Keeps the first signal's notice true to what the run is doing: the command tells each
    // phase as it begins. A new SignalStop starts before the first, while the run takes the file
    // and the port.
    static void NotePhase(UploadPhase phase);
    // Several updates run at once: the notice speaks of all of them, whatever their phases;
    // none where the display says it itself (a notice would shift lines it redraws in place).
    static void NoteLine(bool notice);
    // The words of that notice, for a display that shows them in its own place.
    static std::string_view LineNotice();
    // What the first signal prints now. Async-signal-safe: one lock-free load picks a fixed text.
    static std::string_view Notice() noexcept;

  private:
    static void ForgetPhase();
};

// What the second prints, just before the process ends.
inline constexpr char AbandonNotice[] =
    "\ncorvane-update: stopped at once; the module may be left in the middle of a block: the next "
    "update resets it\n";

}  // namespace corvane::cli
