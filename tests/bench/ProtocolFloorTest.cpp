#include <gtest/gtest.h>

#include <fstream>
#include <initializer_list>
#include <ostream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "bench/ProtocolFloor.h"
#include "cli/TracingSerialPort.h"
#include "tests/support/FakeModem.h"
#include "tests/support/FakePlatform.h"
#include "upload/RunUpload.h"

namespace corvane::bench {
namespace {

// Trace lines without their time stamps, which the floor does not look at.
std::vector<TraceEvent> Trace(std::initializer_list<std::string_view> lines) {
    std::vector<TraceEvent> events;
    for (const std::string_view line : lines) {
        std::string error;
        std::optional<TraceEvent> event = ParseTraceLine("[ 0 ms] " + std::string(line), error);
        EXPECT_EQ(error, "") << line;
        if (event) {
            events.push_back(std::move(*event));
        }
    }
    return events;
}

struct FloorCase {
    const char* name;
    std::vector<TraceEvent> trace;
    uint32_t closingPause;
    double waitMs;
    double wireMs;
    uint32_t probes;
    uint32_t commands;
    uint32_t blocks;
};

void PrintTo(const FloorCase& c, std::ostream* out) {
    *out << c.name;
}

class HandWorkedFloor : public ::testing::TestWithParam<FloorCase> {};

TEST_P(HandWorkedFloor, MatchesTheSumWorkedOutByHand) {
    std::string error;
    const std::optional<UpdateFloor> floor =
        ComputeFloor(GetParam().trace, GetParam().closingPause, error);
    ASSERT_TRUE(floor) << error;

    EXPECT_EQ(floor->resets, 2u);
    EXPECT_EQ(floor->probes, GetParam().probes);
    EXPECT_EQ(floor->commands, GetParam().commands);
    EXPECT_EQ(floor->blocks, GetParam().blocks);
    EXPECT_DOUBLE_EQ(floor->waitMs, GetParam().waitMs);
    EXPECT_NEAR(floor->wireMs, GetParam().wireMs, 1e-9);
    EXPECT_DOUBLE_EQ(floor->FloorMs(), GetParam().waitMs + GetParam().wireMs);
}

// At 10000 bit/s a byte takes exactly 1 ms, at 100 bit/s 100 ms.
INSTANTIATE_TEST_SUITE_P(
    Paths, HandWorkedFloor,
    ::testing::Values(
        // Echo on. Waits: 2 resets 200, probe 220, two commands 240, block 140, closing 100.
        // Wire: "AT\r" answered at byte 3 + 1 echo lag + 1 = 5 (the other five reply bytes
        // arrive during the 50 ms pause); block command 18 + 1 + 4 = 23 and text 6 + 1 + 6 =
        // 13; "AT^QMSO\r" 8 + 1 + 1 = 10. The probe's 10 bytes hide in its 200 ms wait.
        FloorCase{
            "TextWithEcho",
            Trace({"rate 10000", "DTR low", "> AT\\r", "< AT\\r\\r\\nOK\\r\\n", "DTR low",
                   "> AT\\r", "< AT\\r\\r\\nOK\\r\\n", "> AT^QBNW=aud,0,1,1\\r",
                   "< AT^QBNW=aud,0,1,1\\r\\r\\n> ", "> hello\\x1A", "< hello\\x1A\\r\\nOK\\r\\n",
                   "> AT^QMSO\\r", "< AT^QMSO\\r\\r\\nOK\\r\\n", "close"}),
            100, 900, 5 + 23 + 13 + 10, 1, 2, 1},
        // Echo off, a search over three probes (the rate is found at the second, the
        // configured one does not answer the confirmation). Waits: 200 + 3 x 220 + 3 x 120 +
        // 140 + 200. Wire: "AT\r" 3 + 1 = 4, "AT^QNFS=3\r" 10 + 1 = 11, block command
        // 14 + 11 = 25 and record 20 + 6 = 26, "AT^QMSO\r" 8 + 1 = 9.
        FloorCase{"BinaryWithoutEcho",
                  Trace({"rate 115200",
                         "DTR low",
                         "> AT\\r",
                         "rate 10000",
                         "> AT\\r",
                         "< AT\\r\\r\\nOK\\r\\n",
                         "rate 115200",
                         "> AT\\r",
                         "rate 10000",
                         "DTR low",
                         "> AT\\r",
                         "< \\r\\nOK\\r\\n",
                         "> AT^QNFS=3\\r",
                         "< \\r\\nOK\\r\\n",
                         "> AT^QBNW=aud,0\\r",
                         "< \\r\\nCONNECT\\r\\n",
                         "> \\x00\\x14rrrrrrrrrrrrrrrrrr",
                         "< \\r\\nOK\\r\\n",
                         "> AT^QMSO\\r",
                         "< \\r\\nOK\\r\\n"}),
                  200, 1560, 4 + 11 + 25 + 26 + 9, 3, 3, 1},
        // A slow line: the probe's 10 bytes take 1000 ms, 800 beyond its wait; the reply to
        // "ATI\r" starts at byte 4 + 1 + 1 = 600 ms and its last five bytes take 500 ms, 450
        // beyond the pause after the first. Waits: 200 + 220 + 120 + 100.
        FloorCase{"SlowLine",
                  Trace({"rate 100", "DTR low", "> AT\\r", "< AT\\r\\r\\nOK\\r\\n", "DTR low",
                         "> ATI\\r", "< ATI\\r\\r\\nOK\\r\\n"}),
                  100, 640, 800 + 600 + 450, 1, 1, 0}),
    [](const ::testing::TestParamInfo<FloorCase>& info) { return info.param.name; });

TEST(ProtocolFloor, CountsTheBytesOfEveryWriteAndReadAndKeepsTheLastRate) {
    std::string error;
    const std::optional<UpdateFloor> floor =
        ComputeFloor(Trace({"rate 9600", "DTR low", "> AT\\r", "< junk", "rate 19200", "DTR low",
                            "> AT\\r", "< AT\\r", "< \\r\\nOK\\r\\n"}),
                     100, error);
    ASSERT_TRUE(floor) << error;

    EXPECT_EQ(floor->bytesSent, 6u);
    EXPECT_EQ(floor->bytesReceived, 4u + 3u + 6u);
    EXPECT_EQ(floor->rate, 19200u);
}

struct Refusal {
    const char* name;
    std::vector<TraceEvent> trace;
};

void PrintTo(const Refusal& c, std::ostream* out) {
    *out << c.name;
}

class FloorRefusal : public ::testing::TestWithParam<Refusal> {};

TEST_P(FloorRefusal, SaysWhyInsteadOfGivingAFloor) {
    std::string error;
    EXPECT_FALSE(ComputeFloor(GetParam().trace, 100, error));
    EXPECT_NE(error, "");
}

INSTANTIATE_TEST_SUITE_P(
    Traces, FloorRefusal,
    ::testing::Values(Refusal{"NoReset", Trace({"rate 9600", "> AT\\r", "< OK"})},
                      Refusal{"NoRate", Trace({"DTR low", "> AT\\r", "< OK"})},
                      Refusal{"ShortWrite", Trace({"rate 9600", "DTR low", "> AT\\r", "< OK",
                                                   "DTR low", "> AT^QMSO\\r  (3 of 8 written)"})},
                      Refusal{"BlockWithoutData",
                              Trace({"rate 9600", "DTR low", "DTR low", "> AT^QBNW=aud,0\\r",
                                     "< \\r\\nCONNECT\\r\\n"})},
                      Refusal{"UnansweredCommand", Trace({"rate 9600", "DTR low", "> AT\\r"})}),
    [](const ::testing::TestParamInfo<Refusal>& info) { return info.param.name; });

struct UpdatePath {
    const char* name;
    const char* modelCode;
    sim::Family family;
    std::string content;
    uint32_t closingPause;
    uint32_t moduleRate;  // 0: any
};

void PrintTo(const UpdatePath& c, std::ostream* out) {
    *out << c.name;
}

// On the virtual clock, with a module that answers at once and a port without wire time, an
// update takes exactly the waits of its floor: none is missed, none counted twice.
class VirtualUpdate : public ::testing::TestWithParam<UpdatePath> {};

TEST_P(VirtualUpdate, TakesExactlyTheWaitsOfItsFloor) {
    const std::string path = ::testing::TempDir() + "corvane-floor-" + GetParam().name + ".prm";
    std::ofstream(path, std::ios::binary) << GetParam().content;
    test::FakePlatform fake;
    test::FakeModem module(fake.port, {.family = GetParam().family, .rate = GetParam().moduleRate});
    std::ostringstream trace;
    cli::TracingSerialPort tracing(fake.port, fake.clock, trace);
    platform::Platform platform{tracing, fake.clock, fake.libraries};

    const UploadJob job{.procedure = ProcedureForModelCode(GetParam().modelCode),
                        .filePath = path,
                        .portName = "/dev/ttyS1",
                        .baudRate = 115200};
    UploadObserver observer;
    StopRequest stop;
    ASSERT_TRUE(RunUpload({job, observer, stop, platform}).Succeeded());
    std::remove(path.c_str());

    std::istringstream lines(trace.str());
    std::vector<TraceEvent> events;
    std::string error;
    ASSERT_TRUE(ReadTrace(lines, events, error)) << error;
    const std::optional<UpdateFloor> floor = ComputeFloor(events, GetParam().closingPause, error);
    ASSERT_TRUE(floor) << error;
    EXPECT_EQ(floor->blocks, module.Model().StoredSet().size());
    EXPECT_DOUBLE_EQ(floor->waitMs, static_cast<double>(fake.clock.Elapsed())) << trace.str();
}

INSTANTIATE_TEST_SUITE_P(
    Updates, VirtualUpdate,
    ::testing::Values(
        UpdatePath{"Text", "31", sim::Family::K31,
                   "Lines: 5\nfirst\nsecond\nthird\nfourth\nfifth\n", 100, 0},
        UpdatePath{"Binary", "47", sim::Family::K47,
                   std::string("\x00\x05"
                               "abc\x00\x04"
                               "de\x00\x03"
                               "f",
                               12),
                   200, 0},
        // The module answers only at 57600: probes at 115200, 230400, 57600 and 115200 again.
        UpdatePath{"TextAfterASearch", "31", sim::Family::K31, "Lines: 2\nfirst\nsecond\n", 100,
                   57600}),
    [](const ::testing::TestParamInfo<UpdatePath>& info) { return info.param.name; });

}  // namespace
}  // namespace corvane::bench
