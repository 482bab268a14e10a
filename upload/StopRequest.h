#pragma once

#include <atomic>

namespace corvane {

// Asks a running upload to end early. Any thread, and a signal handler, may request the stop;
// the procedure looks at it before each probe of the rate search, each command and each block,
// never inside one, so that a block is never cut in half. Before the module has answered the
// handshake the run then ends as when it does not answer: file and port closed, the module left
// alone. After, it ends the way it ends after a failed block: the text procedure cancels a set
// it has begun, both switch the module off and give back the port and the file. The outcome
// then says it was stopped.
class StopRequest {
  public:
    // Async-signal-safe: one lock-free store.
    void Request() noexcept { requested.store(true); }
    bool Requested() const noexcept { return requested.load(); }
    // Ready for the next run.
    void Reset() noexcept { requested.store(false); }

  private:
    static_assert(std::atomic<bool>::is_always_lock_free, "must be usable in a signal handler");
    std::atomic<bool> requested = false;
};

}  // namespace corvane
