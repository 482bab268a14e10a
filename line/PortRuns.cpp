#include "line/PortRuns.h"

#include <utility>

namespace corvane::line {

namespace {

// Passes one run's reports on, tagged with its slot.
class SlotObserver : public UploadObserver {
  public:
    SlotObserver(LineEvents& events, size_t slot) : events(events), slot(slot) {}
    void Phase(const PhaseReport& report) override { events.Phase(slot, report); }
    void Progress(uint32_t position, uint32_t range) override {
        events.Progress(slot, position, range);
    }

  private:
    LineEvents& events;
    size_t slot;
};

}  // namespace

PortRuns::PortRuns(PortUpdate update, LineEvents& events, StopRequest& stop)
    : update(std::move(update)), events(events), stop(stop) {}

PortRuns::~PortRuns() {
    WaitForAll();
}

size_t PortRuns::Start(const platform::SerialPortInfo& port) {
    std::unique_lock lock(mutex);
    Reap(lock);
    const size_t slot = results.size();
    results.emplace_back();
    Run& run = runs.emplace_back(Run{.slot = slot, .device = port.device});
    // The thread starts only once its Run is complete; it takes the lock before it ends.
    run.thread = std::thread([this, &run, port] { Serve(run, port); });
    return slot;
}

void PortRuns::Serve(Run& run, platform::SerialPortInfo port) {
    events.Started(run.slot, port);
    SlotObserver observer(events, run.slot);
    PortResult result{.port = std::move(port), .started = std::chrono::system_clock::now()};
    const auto begun = std::chrono::steady_clock::now();
    result.outcome = update(result.port, observer, stop);
    result.duration = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - begun);
    events.Finished(run.slot, result);
    const std::lock_guard lock(mutex);
    results[run.slot] = std::move(result);
    run.done = true;
    ended.notify_all();
}

void PortRuns::Reap(std::unique_lock<std::mutex>& lock) {
    std::list<Run> over;
    for (auto it = runs.begin(); it != runs.end();) {
        auto next = std::next(it);
        if (it->done) {
            over.splice(over.end(), runs, it);
        }
        it = next;
    }
    lock.unlock();
    for (Run& run : over) {
        run.thread.join();
    }
    lock.lock();
}

bool PortRuns::Busy(const std::string& device) const {
    const std::lock_guard lock(mutex);
    for (const Run& run : runs) {
        if (!run.done && run.device == device) {
            return true;
        }
    }
    return false;
}

size_t PortRuns::Running() const {
    const std::lock_guard lock(mutex);
    size_t running = 0;
    for (const Run& run : runs) {
        running += run.done ? 0 : 1;
    }
    return running;
}

size_t PortRuns::Finished() const {
    const std::lock_guard lock(mutex);
    size_t finished = 0;
    for (const std::optional<PortResult>& result : results) {
        finished += result ? 1 : 0;
    }
    return finished;
}

void PortRuns::WaitForAnEnd(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex);
    const auto anyDone = [this] {
        for (const Run& run : runs) {
            if (run.done) {
                return true;
            }
        }
        return runs.empty();
    };
    ended.wait_for(lock, timeout, anyDone);
    Reap(lock);
}

void PortRuns::WaitForAll() {
    std::unique_lock lock(mutex);
    ended.wait(lock, [this] {
        for (const Run& run : runs) {
            if (!run.done) {
                return false;
            }
        }
        return true;
    });
    Reap(lock);
}

std::vector<PortResult> PortRuns::Results() const {
    const std::lock_guard lock(mutex);
    std::vector<PortResult> known;
    for (const std::optional<PortResult>& result : results) {
        if (result) {
            known.push_back(*result);
        }
    }
    return known;
}

}  // namespace corvane::line
