// Whole updates in real time against a virtual module that misbehaves at one step: silent, late,
// garbled, endless, too long, or gone. Whatever the module does, the run must end with the right
// result within the time its time-outs allow, give back the port, the file and the power library,
// never spin, and never leave the module holding a block that differs from the file.
//
// Each case is a ctest test of its own (label "slow"): most of them wait out real 5 s time-outs,
// so they are meant to run side by side with ctest -j.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include "tests/e2e/PtyRig.h"
#include "tests/faults/OpenDescriptors.h"
#include "tests/support/BinaryRecord.h"
#include "upload/RunUpload.h"

namespace corvane {
namespace {

using sim::Answer;
using sim::Family;
using sim::ModemFaults;
using ::testing::IsEmpty;
using Lines = std::vector<std::string>;

constexpr uint32_t ConfiguredRate = 115200;

// The waits a path cannot avoid, in ms.
constexpr uint32_t ReplyTimeout = 5000;
// Two passes over five rates (the configured one is also a candidate), each pass begun with a
// 100 ms DTR pulse, each probe followed by a 200 ms wait.
constexpr uint32_t FailedRateSearch = 2 * (100 + 5 * 200);
// What a path may spend beyond them: the pauses around each exchange, the empty reads that end
// captures and waits, scheduling on a loaded machine, sanitizers.
constexpr uint32_t SlackPerTimeout = 250;
constexpr uint32_t SlackPerRun = 3000;
// So that a reply time-out too many shows, whatever the path (six time-outs at the most).
static_assert(6 * SlackPerTimeout + SlackPerRun < ReplyTimeout);
// A line that is gone must not make any loop spin, nor may a silent or chattering one.
constexpr double MostCpuShare = 0.05;

// Two blocks in each file, so that a fault can strike between them.
const Lines DataLines = {"0,12,-3,45,7,7,7,0,1024,-1,OK,", "255,0,0,0,19,OK,CONNECT,> ,8,8",
                         "-32768,32767,0,1,2,3,4,5,6,7,8", "1,1,2,3,5,8,13,21,34,55,89,144"};

Lines TextBlocks() {
    return {DataLines[0] + DataLines[1], DataLines[2] + DataLines[3]};
}

std::string TextFile() {
    std::string text = "Lines:4\r\n";
    for (const std::string& line : DataLines) {
        text += line + "\r\n";
    }
    return text;
}

// A record of the given length, length bytes included. Its body begins with what the module's
// answers are searched for, and Ctrl-Z.
std::string Record(uint16_t length, uint8_t step) {
    std::string body = "\r\nOK\r\n0\x1a\r\n> CONNECT";
    while (body.size() + 2 < length) {
        body.push_back(static_cast<char>((body.size() + 2) * step));
    }
    return test::Record(body);
}

Lines BinaryRecords() {
    return {Record(64, 13), Record(100, 29)};
}

struct FaultCase {
    std::string name;
    Family family;
    ModemFaults faults;
    ResultCode result;
    uint32_t timeouts;  // reply time-outs that run out on the path
    uint32_t waitedMs;  // other waits the module imposes: a failed rate search, late answers
};

void PrintTo(const FaultCase& c, std::ostream* out) {
    *out << c.name;
}

std::vector<FaultCase> Cases() {
    constexpr Family K31 = Family::K31;
    constexpr Family K47 = Family::K47;
    const ModemFaults unansweredBlockCommand{.answerTo = "AT^QBNW", .answer = Answer::None};
    const ModemFaults garbledBlockCommand{.answerTo = "AT^QBNW", .answer = Answer::Garbage};
    const ModemFaults endlessBlockCommand{.answerTo = "AT^QBNW", .answer = Answer::Endless};
    const ModemFaults lateBlockCommands{.answerTo = "AT^QBNW", .answerDelayMs = 4800};
    const ModemFaults firstBlockCommandTooLate{
        .answerTo = "AT^QBNW", .firstAnswerOnly = true, .answerDelayMs = 5200};
    const ModemFaults unansweredSwitchOff{.answerTo = "AT^QMSO", .answer = Answer::None};
    const auto middleOf = [](const std::string& block) {
        return static_cast<uint32_t>(block.size() / 2);
    };
    // The text procedure answers every failed block with the cancel command and reports it as an
    // unusable file; the binary one passes the block transfer's code on.
    return {
        // Nothing at all: the rate search fails and nothing else is tried.
        {"SilentAtProbe", K31, {.silent = true}, ResultModemNotConnected, 0, FailedRateSearch},
        {"SilentAtProbe", K47, {.silent = true}, ResultModemNotConnected, 0, FailedRateSearch},
        // Answers the probe, then nothing: six handshakes time out. Both families share the
        // handshake, so one of them carries these 30 s.
        {"SilentAtHandshake", K31, {.silentAfterCommands = 1}, ResultModemNotConnected, 6, 0},
        // Block command unanswered twice; the text procedure's cancel goes unanswered as well.
        {"SilentToBlockCommand", K31, unansweredBlockCommand, ResultInvalidFile, 3, 0},
        {"SilentToBlockCommand", K47, unansweredBlockCommand, ResultModemRejectedData, 2, 0},
        // Silent from the prompt on, echo of the text included: the block, the cancel and AT^QMSO
        // time out. Records are never echoed, so for binary modules this is NeverConfirms with
        // the silent AT^QMSO of SilentToSwitchOff.
        {"SilentFromBlockData", K31, {.silentAfterCommands = 3}, ResultInvalidFile, 3, 0},
        // Takes the data, never confirms, answers everything else.
        {"NeverConfirms", K31, {.neverConfirm = true}, ResultInvalidFile, 1, 0},
        {"NeverConfirms", K47, {.neverConfirm = true}, ResultModemRejectedData, 1, 0},
        // The switch-off's reply is not looked at: its time-out changes nothing.
        {"SilentToSwitchOff", K31, unansweredSwitchOff, ResultOk, 1, 0},
        {"SilentToSwitchOff", K47, unansweredSwitchOff, ResultOk, 1, 0},
        {"Garbage", K31, {.answer = Answer::Garbage}, ResultModemNotConnected, 0, FailedRateSearch},
        {"Garbage", K47, {.answer = Answer::Garbage}, ResultModemNotConnected, 0, FailedRateSearch},
        {"GarbageToBlockCommand", K31, garbledBlockCommand, ResultInvalidFile, 0, 0},
        {"GarbageToBlockCommand", K47, garbledBlockCommand, ResultWrongModuleType, 0, 0},
        // A stream that never pauses: every capture ends at a full buffer.
        {"Endless", K31, {.answer = Answer::Endless}, ResultModemNotConnected, 0, FailedRateSearch},
        {"Endless", K47, {.answer = Answer::Endless}, ResultModemNotConnected, 0, FailedRateSearch},
        {"EndlessFromBlockCommand", K31, endlessBlockCommand, ResultInvalidFile, 0, 0},
        {"EndlessFromBlockCommand", K47, endlessBlockCommand, ResultWrongModuleType, 0, 0},
        // 2500 bytes ahead of each answer: the marker lies beyond the 1999 bytes captured.
        {"LongReplies", K31, {.longReply = 2500}, ResultModemNotConnected, 0, FailedRateSearch},
        {"LongReplies", K47, {.longReply = 2500}, ResultModemNotConnected, 0, FailedRateSearch},
        // The module took the command up: the repeated command and AT^QMSO vanish into the
        // record it waits for.
        {"LongReplyToBlockCommand",
         K47,
         {.answerTo = "AT^QBNW", .longReply = 2500},
         ResultWrongModuleType,
         2,
         0},
        // The line drops after the handshake: every later exchange times out. On a dead line
        // both procedures run the same exchanges, and HangUpAfterBlock takes the binary one
        // through them.
        {"HangUpBeforeBlock", K31, {.hangUpAfterCommands = 2}, ResultInvalidFile, 4, 0},
        {"HangUpInBlock",
         K31,
         {.hangUpInBlock = middleOf(TextBlocks()[0])},
         ResultInvalidFile,
         3,
         0},
        {"HangUpInBlock",
         K47,
         {.hangUpInBlock = middleOf(BinaryRecords()[0])},
         ResultModemRejectedData,
         2,
         0},
        {"HangUpAfterBlock", K31, {.hangUpAfterBlocks = 1}, ResultInvalidFile, 4, 0},
        {"HangUpAfterBlock", K47, {.hangUpAfterBlocks = 1}, ResultModemRejectedData, 4, 0},
        // Just inside the 5 s time-out, for both block commands.
        {"BlockCommandsAnsweredJustInTime", K31, lateBlockCommands, ResultOk, 0, 2 * 4800},
        {"BlockCommandsAnsweredJustInTime", K47, lateBlockCommands, ResultOk, 0, 2 * 4800},
        // Just outside: the late prompt answers the repeated command, whose text went nowhere.
        {"FirstBlockCommandAnsweredTooLate", K31, firstBlockCommandTooLate, ResultOk, 0, 5200},
        // A late CONNECT: the repeated command and AT^QMSO vanish into the record it waits for.
        {"FirstBlockCommandAnsweredTooLate", K47, firstBlockCommandTooLate, ResultModemRejectedData,
         2, 5200},
    };
}

double ProcessCpuSeconds() {
    timespec used{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
    return static_cast<double>(used.tv_sec) + static_cast<double>(used.tv_nsec) / 1e9;
}

Lines ReadLines(const std::string& path) {
    Lines lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

class FaultInjection : public ::testing::TestWithParam<FaultCase> {
  protected:
    void SetUp() override {
        const char* searched = std::getenv("LD_LIBRARY_PATH");
        ASSERT_TRUE(searched != nullptr && std::string(searched).ends_with("/power/both"))
            << "run through ctest, which points LD_LIBRARY_PATH at the stand-in power libraries";
        const std::string stem =
            ::testing::TempDir() + "corvane-faults-" + std::to_string(getpid());
        powerLog = stem + ".log";
        filePath = stem + ".prm";
        setenv("CORVANE_RHA_LOG", powerLog.c_str(), 1);
        std::ofstream file(filePath, std::ios::binary);
        if (GetParam().family == Family::K31) {
            file << TextFile();
        } else {
            for (const std::string& record : BinaryRecords()) {
                file << record;
            }
        }
    }

    void TearDown() override {
        std::remove(powerLog.c_str());
        std::remove(filePath.c_str());
    }

    std::string powerLog;
    std::string filePath;
};

TEST_P(FaultInjection, UpdateEndsCleanly) {
    const FaultCase& c = GetParam();
    test::PtyRig rig({.family = c.family, .faults = c.faults});
    ASSERT_TRUE(rig.Start());
    const std::map<int, std::string> descriptorsBefore = test::OpenDescriptors();

    const auto started = std::chrono::steady_clock::now();
    const double cpuBefore = ProcessCpuSeconds();
    const UploadJob job{
        .procedure = c.family == Family::K31 ? UploadProcedure::Text : UploadProcedure::Binary,
        .filePath = filePath,
        .portName = rig.DevicePath(),
        .baudRate = ConfiguredRate};
    UploadObserver observer;
    StopRequest stop;
    const ResultCode result = RunUpload({job, observer, stop, rig.platform}).code;
    const double cpu = ProcessCpuSeconds() - cpuBefore;
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const std::map<int, std::string> descriptorsAfter = test::OpenDescriptors();
    const Lines stored = rig.modem.StoredSet();
    rig.modem.Stop();
    std::printf("fault case %s: result %d, wall %.2f s, cpu %.3f s\n", c.name.c_str(), result, wall,
                cpu);
    // For scripts/figures.sh, through --gtest_output=json.
    RecordProperty("result_code", result);
    RecordProperty("wall_s", std::to_string(wall));

    EXPECT_EQ(result, c.result);

    const double least = (c.timeouts * ReplyTimeout + c.waitedMs) / 1000.0;
    const double most = least + (c.timeouts * SlackPerTimeout + SlackPerRun) / 1000.0;
    EXPECT_GE(wall, least) << "a mandated wait was cut short";
    EXPECT_LE(wall, most);
    EXPECT_LE(cpu, MostCpuShare * wall) << "a loop spins";

    // The port and the parameter file are closed: no descriptor is left that was not there
    // before (the virtual module's own ones were, and a hang-up only closes those).
    EXPECT_FALSE(rig.port.IsOpen());
    EXPECT_THAT(test::AddedDescriptors(descriptorsBefore, descriptorsAfter), IsEmpty());

    // The power library is released and unloaded: it logged its end.
    const Lines power = ReadLines(powerLog);
    ASSERT_GE(power.size(), 3u);
    EXPECT_EQ(power.front(), "SWUP load");
    EXPECT_EQ(power.end()[-2], "SWUP RHA_DeInit");
    EXPECT_EQ(power.back(), "SWUP unload");
    EXPECT_EQ(std::count(power.begin(), power.end(), "SWUP load"), 1);
    // The radio is powered down only on the paths that got past the handshake.
    const bool handshakeFailed = c.result == ResultModemNotConnected;
    EXPECT_EQ(std::count(power.begin(), power.end(), "SWUP RHA_RadioPwrOff"),
              handshakeFailed ? 0 : 1);

    // Whatever the module holds came from the file, block for block; after success all of it.
    const Lines file = c.family == Family::K31 ? TextBlocks() : BinaryRecords();
    ASSERT_LE(stored.size(), file.size());
    for (size_t i = 0; i < stored.size(); ++i) {
        EXPECT_EQ(stored[i], file[i]) << "block " << i + 1;
    }
    if (result == ResultOk) {
        EXPECT_EQ(stored.size(), file.size());
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultInjection, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<FaultCase>& info) {
                             const bool text = info.param.family == Family::K31;
                             return std::string(text ? "Text_" : "Binary_") + info.param.name;
                         });

}  // namespace
}  // namespace corvane
