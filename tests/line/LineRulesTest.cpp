// The line's rules without ports: which ports a --match picks, which are new at a look, and what
// the results come to.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "line/LineSummary.h"
#include "line/PlugTracker.h"
#include "line/PortMatch.h"

namespace corvane::line {
namespace {

using ::testing::ElementsAre;

const platform::SerialPortInfo Ftdi{
    .device = "/dev/ttyUSB0",
    .usbId = "0403:6001",
    .serialNumber = "FT5XK2",
    .stableName = "/dev/serial/by-path/pci-0000:00:14.0-usb-0:1.3:1.0-port0"};
const platform::SerialPortInfo Pty{.device = "/tmp/line/port-12"};

TEST(PortMatchTest, EachKindOfRulePicksItsPorts) {
    const struct {
        const char* rule;
        bool ftdi;
        bool pty;
    } rows[] = {
        {"0403:6001", true, false},
        {"0403:6001 ", false, false},  // not an id: a glob that matches no name
        {"0403:6015", false, false},
        {"serial:FT5", true, false},
        {"serial:FT6", false, false},
        {"/dev/ttyUSB*", true, false},
        {"/dev/serial/by-path/*usb-0:1.*", true, false},
        {"/tmp/line/port-?", false, false},
        {"/tmp/line/port-1[0-9]", false, true},
        {"/tmp/line/port-1[!2]", false, false},
        {"/tmp/*", false, true},
        {"*", true, true},
        {"/tmp/line/port-12\\*", false, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.rule);
        std::string problem;
        const std::optional<PortRule> rule = ParsePortRule(row.rule, problem);
        ASSERT_TRUE(rule) << problem;
        EXPECT_EQ(Picks(*rule, Ftdi), row.ftdi);
        EXPECT_EQ(Picks(*rule, Pty), row.pty);
    }
    EXPECT_TRUE(PicksAny({}, Pty)) << "no rule: every port";
    EXPECT_TRUE(GlobMatches(std::string(40, '*') + "b", std::string(10000, 'a') + "b"));
    for (const char* bad : {"", "serial:", "/dev/ttyUSB[0"}) {
        std::string problem;
        EXPECT_FALSE(ParsePortRule(bad, problem)) << bad;
        EXPECT_FALSE(problem.empty());
    }
}

TEST(PlugTrackerTest, APortIsNewOncePerPlugIn) {
    PlugTracker tracker;
    const platform::SerialPortInfo a{.device = "a"}, b{.device = "b"};
    const auto devices = [](const std::vector<platform::SerialPortInfo>& ports) {
        std::vector<std::string> names;
        for (const auto& port : ports) {
            names.push_back(port.device);
        }
        return names;
    };
    EXPECT_THAT(devices(tracker.Arrived({a})), ElementsAre("a"));
    EXPECT_THAT(devices(tracker.Arrived({a, b})), ElementsAre("b"));
    EXPECT_THAT(devices(tracker.Arrived({a, b})), ElementsAre());
    EXPECT_THAT(devices(tracker.Arrived({b})), ElementsAre());
    EXPECT_THAT(devices(tracker.Arrived({a, b})), ElementsAre("a")) << "came back";
    tracker.Postpone("b");
    EXPECT_THAT(devices(tracker.Arrived({a, b})), ElementsAre("b")) << "postponed";
}

PortResult Result(const char* device, int code, bool stopped, int ms) {
    PortResult result{.port = {.device = device}, .duration = std::chrono::milliseconds(ms)};
    result.outcome.code = static_cast<ResultCode>(code);
    result.outcome.stopped = stopped;
    return result;
}

TEST(LineSummaryTest, CountsByReasonNamesTheSlowestAndPicksTheExitStatus) {
    LineSummary summary;
    EXPECT_EQ(summary.Text(), "no updates");
    const std::vector<PortResult> results = {
        Result("/dev/ttyUSB0", 0, false, 15100), Result("/dev/ttyUSB1", 6, false, 4200),
        Result("/dev/ttyUSB2", 0, false, 16420), Result("/dev/ttyUSB3", 6, false, 4100),
        Result("/dev/ttyUSB4", 7, false, 900)};
    for (const PortResult& result : results) {
        summary.Add(result);
    }
    EXPECT_EQ(summary.Text(),
              "5 updates: 2 written, 3 failed (6 Possibly modem not connected.: 2, 7 Probably "
              "Wrong module type.: 1); slowest /dev/ttyUSB2, 16.4 s");
    EXPECT_EQ(LineExitStatus(results, 0), 6) << "the first failure in port order";
    EXPECT_EQ(LineExitStatus({results[0], results[2]}, 0), 0);
    EXPECT_EQ(LineExitStatus({results[0], Result("x", 0, true, 1), results[1]}, 2), 130);
}

}  // namespace
}  // namespace corvane::line
