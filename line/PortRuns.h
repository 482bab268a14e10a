#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/SerialPortList.h"
#include "upload/StopRequest.h"
#include "upload/UploadObserver.h"
#include "upload/UploadOutcome.h"

namespace corvane::line {

// How the update on one port went, and when.
struct PortResult {
    platform::SerialPortInfo port{};
    UploadOutcome outcome{};
    std::chrono::system_clock::time_point started{};
    std::chrono::milliseconds duration{0};
};

// What the runs tell, each event with the slot of its run: slots count the runs from 0 in the
// order they were started. Called on the runs' own threads, several at once.
class LineEvents {
  public:
    virtual ~LineEvents() = default;
    virtual void Started(size_t slot, const platform::SerialPortInfo& port) = 0;
    virtual void Phase(size_t slot, const PhaseReport& report) = 0;
    virtual void Progress(size_t slot, uint32_t position, uint32_t range) = 0;
    // Once the port, the file and the module are given back.
    virtual void Finished(size_t slot, const PortResult& result) = 0;
};

// One update on one port, told through the observer, stopping at the stop: what the command or
// the station window runs for each port.
using PortUpdate = std::function<UploadOutcome(const platform::SerialPortInfo& port,
                                               UploadObserver& observer, StopRequest& stop)>;

// Updates run side by side, one thread each, all stopped by one stop request.
class PortRuns {
  public:
    PortRuns(PortUpdate update, LineEvents& events, StopRequest& stop);
    // Waits for every run.
    ~PortRuns();
    PortRuns(const PortRuns&) = delete;
    PortRuns& operator=(const PortRuns&) = delete;

    // Starts the update of the port on a thread of its own; returns its slot.
    size_t Start(const platform::SerialPortInfo& port);
    // Whether an update on the device is still running.
    bool Busy(const std::string& device) const;
    size_t Running() const;
    size_t Finished() const;
    // Waits until a run ends, none runs, or the time passes.
    void WaitForAnEnd(std::chrono::milliseconds timeout);
    void WaitForAll();
    // The runs that ended, by slot.
    std::vector<PortResult> Results() const;

  private:
    struct Run {
        size_t slot;
        std::string device;
        bool done = false;
        std::thread thread{};
    };
    void Serve(Run& run, platform::SerialPortInfo port);
    // Joins the threads of runs that ended.
    void Reap(std::unique_lock<std::mutex>& lock);

    PortUpdate update;
    LineEvents& events;
    StopRequest& stop;
    mutable std::mutex mutex;
    std::condition_variable ended;
    std::list<Run> runs;
    // By slot; empty while its run goes on.
    std::vector<std::optional<PortResult>> results;
};

}  // namespace corvane::line
