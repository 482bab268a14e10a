#include "line/PortRuns.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace corvane::line {
namespace {

using ::testing::ElementsAre;

// Each slot's events in the order they came, as "started P", "phase N", "progress p/r" and
// "finished P code".
class EventRecorder : public LineEvents {
  public:
    void Started(size_t slot, const platform::SerialPortInfo& port) override {
        Add(slot, "started " + port.device);
    }
    void Phase(size_t slot, const PhaseReport& report) override {
        Add(slot, "phase " + std::to_string(static_cast<int>(report.phase)));
    }
    void Progress(size_t slot, uint32_t position, uint32_t range) override {
        Add(slot, "progress " + std::to_string(position) + "/" + std::to_string(range));
    }
    void Finished(size_t slot, const PortResult& result) override {
        Add(slot, "finished " + result.port.device + " " + std::to_string(result.outcome.code));
    }
    std::vector<std::string> Of(size_t slot) {
        const std::lock_guard lock(mutex);
        return events[slot];
    }

  private:
    void Add(size_t slot, std::string event) {
        const std::lock_guard lock(mutex);
        events[slot].push_back(std::move(event));
    }
    std::mutex mutex;
    std::map<size_t, std::vector<std::string>> events;
};

// An update that reports one phase and one block, and fails on ports named "bad"; on "slow" it
// waits for the stop, as a run waits between blocks.
UploadOutcome FakeUpdate(const platform::SerialPortInfo& port, UploadObserver& observer,
                         StopRequest& stop) {
    observer.Phase({.phase = UploadPhase::Writing, .block = 1, .blocks = 1});
    UploadOutcome outcome;
    if (port.device == "bad") {
        outcome.code = ResultPortUnavailable;
        return outcome;
    }
    while (port.device == "slow" && !stop.Requested()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    outcome.stopped = stop.Requested();
    observer.Progress(2, 2);
    return outcome;
}

TEST(PortRunsTest, EachPortRunsAloneAndOneStopEndsThemAll) {
    EventRecorder events;
    StopRequest stop;
    PortRuns runs(FakeUpdate, events, stop);
    EXPECT_EQ(runs.Start({.device = "slow"}), 0u);
    EXPECT_EQ(runs.Start({.device = "bad"}), 1u);
    EXPECT_EQ(runs.Start({.device = "good"}), 2u);
    while (runs.Finished() < 2) {
        runs.WaitForAnEnd(std::chrono::milliseconds(100));
    }
    EXPECT_TRUE(runs.Busy("slow"));
    EXPECT_FALSE(runs.Busy("good"));
    EXPECT_EQ(runs.Running(), 1u);

    stop.Request();
    runs.WaitForAll();
    EXPECT_EQ(runs.Running(), 0u);
    const std::vector<PortResult> results = runs.Results();
    ASSERT_EQ(results.size(), 3u);
    EXPECT_EQ(results[0].port.device, "slow");
    EXPECT_TRUE(results[0].outcome.stopped);
    EXPECT_EQ(results[1].outcome.code, ResultPortUnavailable);
    EXPECT_TRUE(results[2].outcome.Succeeded());
    EXPECT_THAT(events.Of(1), ElementsAre("started bad", "phase 2", "finished bad 2"));
    EXPECT_THAT(events.Of(2),
                ElementsAre("started good", "phase 2", "progress 2/2", "finished good 0"));
}

TEST(PortRunsTest, ManyRunsComeAndGoWithoutLosingOne) {
    EventRecorder events;
    StopRequest stop;
    PortRuns runs(FakeUpdate, events, stop);
    for (int round = 0; round < 8; ++round) {
        for (int port = 0; port < 8; ++port) {
            runs.Start({.device = "p" + std::to_string(port)});
        }
        runs.WaitForAnEnd(std::chrono::milliseconds(1));
    }
    runs.WaitForAll();
    EXPECT_EQ(runs.Finished(), 64u);
    EXPECT_EQ(runs.Results().size(), 64u);
    EXPECT_THAT(events.Of(63),
                ElementsAre("started p7", "phase 2", "progress 2/2", "finished p7 0"));
}

}  // namespace
}  // namespace corvane::line
