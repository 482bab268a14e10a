#pragma once

#include <atomic>

#include "link/ResultCode.h"

namespace corvane {

// What a stopped run returns. The module, the port and the file all did their part, so no code
// that names one of them would be true; this one says only that the run did not do what it was
// started for. Callers that pass a stop request tell a stopped run by StopRequest::Stopped().
inline constexpr ResultCode StoppedResult = ResultInvalidParameters;

// Asks a running upload to end early. Any thread, and a signal handler, may request the stop;
// the procedure looks at it only between blocks, so that a block is never cut in half, and then
// ends the way it ends after a failed block: the text procedure cancels the set, both switch the
// module off and give back the port and the file.
class StopRequest {
  public:
    // Async-signal-safe: one lock-free store.
    void Request() noexcept { requested.store(true); }
    bool Requested() const noexcept { return requested.load(); }

    // For the procedure, at a block boundary: true when it is to stop there. From then on the run
    // counts as stopped.
    bool StopHere() noexcept {
        if (!requested.load()) {
            return false;
        }
        stopped.store(true);
        return true;
    }
    // True when a procedure ended its run early for this request; a request that came too late
    // (the run was already past its last block, or failed first) leaves it false.
    bool Stopped() const noexcept { return stopped.load(); }

    // Ready for the next run.
    void Reset() noexcept {
        requested.store(false);
        stopped.store(false);
    }

  private:
    static_assert(std::atomic<bool>::is_always_lock_free, "must be usable in a signal handler");
    std::atomic<bool> requested = false;
    std::atomic<bool> stopped = false;
};

}  // namespace corvane
