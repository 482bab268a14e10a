// corvane-update interrupted mid-run, in real time, against the virtual module on a
// pseudo-terminal. The module answers late, or not at all, so that a run lasts long enough to be
// interrupted in the rate search, in the handshake or after its first block.

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "sim/PtyModem.h"
#include "tests/cli/ChildProcess.h"
#include "tests/cli/SampleSets.h"

namespace corvane::cli {
namespace {

using sim::Family;
using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;

// Below the rate search's 200 ms wait for a probe's answer, far above the time a test takes to
// notice a stored block.
constexpr uint32_t LatencyMs = 150;

struct StopCase {
    const char* name;
    Family family;
    int signal;
};

void PrintTo(const StopCase& c, std::ostream* out) {
    *out << c.name;
}

class StopEndToEndTest : public ::testing::TestWithParam<StopCase> {
  protected:
    // Starts the command on the family's sample and returns once the module holds a block.
    std::unique_ptr<ChildProcess> StartAndAwaitFirstBlock(Family family, bool errToPipe = false) {
        modem = std::make_unique<sim::PtyModem>(
            sim::ModemOptions{.family = family, .latencyMs = LatencyMs});
        std::string error;
        EXPECT_TRUE(modem->Start(error)) << error;
        const bool text = family == Family::K31;
        auto child = std::make_unique<ChildProcess>(
            CORVANE_UPDATE_COMMAND,
            std::vector<std::string>{"-p", modem->DevicePath(), "-b", "115200", "-f",
                                     text ? "31" : "47", text ? TextSample : BinarySample},
            std::vector<std::string>{}, errToPipe);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (modem->StoredSet().empty() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        EXPECT_FALSE(modem->StoredSet().empty()) << "the first block never arrived";
        return child;
    }

    // A whole update of the family's sample on the same module, as the next operator would run.
    void ExpectTheNextRunSucceeds(Family family, const std::vector<std::string>& environment = {}) {
        const bool text = family == Family::K31;
        const ChildResult next = RunChild(CORVANE_UPDATE_COMMAND,
                                          {"-p", modem->DevicePath(), "-b", "115200", "-f",
                                           text ? "31" : "47", text ? TextSample : BinarySample},
                                          environment);
        modem->Stop();
        EXPECT_EQ(next.status, 0) << next.err;
        EXPECT_EQ(modem->StoredSet(), ExpectedSet(family));
    }

    // Every byte the module received, in order.
    std::string Received() const {
        std::string bytes;
        for (const sim::TranscriptEntry& entry : modem->Transcript()) {
            bytes += entry.bytes;
        }
        return bytes;
    }

    // The numbered block commands (text) or the records (binary) the module took.
    size_t BlocksTaken(Family family) const {
        if (family == Family::K47) {
            return modem->StoredSet().size();
        }
        const std::vector<std::string> commands = modem->Commands();
        return static_cast<size_t>(
            std::count_if(commands.begin(), commands.end(),
                          [](const std::string& c) { return c.starts_with("AT^QBNW=aud,0,"); }));
    }

    std::unique_ptr<sim::PtyModem> modem;
};

TEST_P(StopEndToEndTest, FirstSignalStopsAtTheNextBlockWithTheClosingSequence) {
    const StopCase& c = GetParam();
    const std::unique_ptr<ChildProcess> child = StartAndAwaitFirstBlock(c.family);
    ASSERT_EQ(kill(child->Pid(), c.signal), 0);
    const ChildResult run = child->Wait();

    EXPECT_FALSE(run.signalled);
    EXPECT_EQ(run.status, 128 + c.signal) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_THAT(run.err, HasSubstr("corvane-update: stopping after the block in progress"));

    const std::vector<std::string> commands = modem->Commands();
    ASSERT_FALSE(commands.empty());
    EXPECT_EQ(commands.back(), "AT^QMSO") << "the module is switched off";
    if (c.family == Family::K31) {
        EXPECT_EQ(commands.end()[-2], "AT^QBNW=aud,0") << "the set is cancelled first";
    }
    const std::vector<std::string> file = ExpectedSet(c.family);
    const std::vector<std::string> stored = modem->StoredSet();
    ASSERT_LT(stored.size(), file.size()) << "stopped before the end of the file";
    EXPECT_TRUE(std::equal(stored.begin(), stored.end(), file.begin())) << "a prefix of the file";

    const size_t taken = BlocksTaken(c.family);
    EXPECT_GE(taken, 1u);
    EXPECT_LT(taken, file.size());
    std::smatch written;
    const std::regex count(c.family == Family::K31 ? "Written before the stop: (\\d+) blocks?"
                                                   : "Written before the stop: (\\d+) records?");
    ASSERT_TRUE(std::regex_search(run.err, written, count)) << run.err;
    EXPECT_EQ(std::stoul(written[1]), taken) << run.err;
    ExpectTheNextRunSucceeds(c.family);
}

INSTANTIATE_TEST_SUITE_P(SignalsAndFamilies, StopEndToEndTest,
                         ::testing::Values(StopCase{"TextBySigint", Family::K31, SIGINT},
                                           StopCase{"BinaryBySigterm", Family::K47, SIGTERM}),
                         [](const auto& info) { return std::string(info.param.name); });

// Before the blocks a stop takes effect at the next probe or command: the port is closed, and the
// module gets neither a block command nor the switch-off command.
struct EarlyStopCase {
    const char* name;
    Family family;
    int signal;
    sim::ModemFaults faults;
    // The phase line on stderr after which the signal comes.
    const char* phaseLine;
    const char* notice;
};

void PrintTo(const EarlyStopCase& c, std::ostream* out) {
    *out << c.name;
}

class EarlyStopEndToEndTest : public ::testing::TestWithParam<EarlyStopCase> {};

TEST_P(EarlyStopEndToEndTest, EndsAtTheNextProbeOrCommandWithoutTouchingTheModule) {
    const EarlyStopCase& c = GetParam();
    sim::PtyModem modem({.family = c.family, .latencyMs = LatencyMs, .faults = c.faults});
    std::string error;
    ASSERT_TRUE(modem.Start(error)) << error;
    const bool text = c.family == Family::K31;
    ChildProcess child(CORVANE_UPDATE_COMMAND,
                       {"-p", modem.DevicePath(), "-b", "115200", "-f", text ? "31" : "47",
                        text ? TextSample : BinarySample},
                       {});
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (child.ErrSoFar().find(c.phaseLine) == std::string::npos &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_THAT(child.ErrSoFar(), HasSubstr(c.phaseLine));
    const auto signalled = std::chrono::steady_clock::now();
    ASSERT_EQ(kill(child.Pid(), c.signal), 0);
    const ChildResult run = child.Wait();
    const auto took = std::chrono::steady_clock::now() - signalled;
    modem.Stop();

    EXPECT_EQ(run.status, 128 + c.signal) << run.err;
    // At most one probe or one answered command after the signal, about a third of a second:
    // the rest of the search would take nearly three.
    EXPECT_LT(took, std::chrono::milliseconds(1500)) << run.err;
    EXPECT_THAT(run.err, HasSubstr(c.notice));
    EXPECT_THAT(run.err, HasSubstr("Nothing was written before the stop."));
    for (const sim::TranscriptEntry& received : modem.Transcript()) {
        EXPECT_THAT(received.bytes, Not(HasSubstr("AT^QMSO")));
        EXPECT_THAT(received.bytes, Not(HasSubstr("AT^QBNW")));
        EXPECT_THAT(received.bytes, Not(HasSubstr("AT^QNFS")));
    }
}

const EarlyStopCase SearchBySigint = {
    .name = "SearchBySigint",
    .family = Family::K31,
    .signal = SIGINT,
    .faults = {.silent = true},
    .phaseLine = "finding the rate",
    .notice = "corvane-update: stopping the rate search",
};

// Five refusals of the handshake's "AT", then an answer: without the stop the run would go on to
// the records.
const EarlyStopCase HandshakeBySigterm = {
    .name = "HandshakeBySigterm",
    .family = Family::K47,
    .signal = SIGTERM,
    .faults = {.givenAnswers = {std::nullopt, "\r\nERROR\r\n", "\r\nERROR\r\n", "\r\nERROR\r\n",
                                "\r\nERROR\r\n", "\r\nERROR\r\n"}},
    .phaseLine = "module answers at 115200 baud",
    .notice = "corvane-update: stopping before the update begins",
};

INSTANTIATE_TEST_SUITE_P(SearchAndHandshake, EarlyStopEndToEndTest,
                         ::testing::Values(SearchBySigint, HandshakeBySigterm),
                         [](const auto& info) { return std::string(info.param.name); });

// `corvane-update ... 2>&1 | tee log` and Ctrl-C: tee ends too, and every later write to stderr
// meets a closed pipe. The module is still switched off.
TEST_F(StopEndToEndTest, StopWithTheOutputsReaderGoneStillRunsTheClosingSequence) {
    const std::unique_ptr<ChildProcess> child = StartAndAwaitFirstBlock(Family::K31, true);
    child->CloseErrReader();
    ASSERT_EQ(kill(child->Pid(), SIGINT), 0);
    const ChildResult run = child->Wait();

    EXPECT_FALSE(run.signalled) << "ended by signal " << run.status - 128;
    EXPECT_EQ(run.status, 128 + SIGINT);
    const std::vector<std::string> commands = modem->Commands();
    ASSERT_GE(commands.size(), 2u);
    EXPECT_EQ(commands.end()[-2], "AT^QBNW=aud,0");
    EXPECT_EQ(commands.back(), "AT^QMSO");
    ExpectTheNextRunSucceeds(Family::K31);
}

TEST_F(StopEndToEndTest, SecondSignalEndsItAtOnce) {
    const std::unique_ptr<ChildProcess> child = StartAndAwaitFirstBlock(Family::K31);
    ASSERT_EQ(kill(child->Pid(), SIGINT), 0);
    // Well inside the wait for the first block's confirmation, and so before the cancel and the
    // switch-off could go out.
    std::this_thread::sleep_for(std::chrono::milliseconds(LatencyMs / 6));
    ASSERT_EQ(kill(child->Pid(), SIGINT), 0);
    const ChildResult run = child->Wait();

    EXPECT_TRUE(run.signalled);
    EXPECT_EQ(run.status, 128 + SIGINT);
    EXPECT_THAT(run.err, HasSubstr("the next update resets it"));
    EXPECT_THAT(modem->Commands(), Not(Contains("AT^QMSO")));
    ExpectTheNextRunSucceeds(Family::K31);
}

// A second signal inside a block leaves the module waiting for the block's data: with the block
// command answered and nothing sent, or with part of the data received. A pseudo-terminal takes a
// block's data in one piece, so the test sends the first half itself, as a line would have
// carried it before the program ended. The next run powers the module on, which resets it.
TEST_F(StopEndToEndTest, SecondSignalInsideABlockTheNextRunStillSucceeds) {
    for (const Family family : {Family::K31, Family::K47}) {
        for (const bool halfData : {false, true}) {
            const bool text = family == Family::K31;
            SCOPED_TRACE(std::string(text ? "K31" : "K47") + (halfData ? " half data" : ""));
            modem = std::make_unique<sim::PtyModem>(
                sim::ModemOptions{.family = family, .latencyMs = LatencyMs});
            std::string error;
            ASSERT_TRUE(modem->Start(error)) << error;
            ChildProcess child(CORVANE_UPDATE_COMMAND,
                               {"-p", modem->DevicePath(), "-b", "115200", "-f", text ? "31" : "47",
                                text ? TextSample : BinarySample},
                               WithModulePower);
            // The second block's command has arrived; its answer is on the way, held back by
            // the module's latency, and the data will not come before it.
            const std::string command = text ? "AT^QBNW=aud,0," : "AT^QBNW=aud,0";
            const auto commandsSent = [&] {
                const std::vector<std::string> commands = modem->Commands();
                return std::count_if(commands.begin(), commands.end(), [&](const std::string& c) {
                    return text ? c.starts_with(command) : c == command;
                });
            };
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
            while (commandsSent() < 2 && std::chrono::steady_clock::now() < deadline) {
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
            ASSERT_EQ(commandsSent(), 2);
            ASSERT_EQ(kill(child.Pid(), SIGINT), 0);
            std::this_thread::sleep_for(std::chrono::milliseconds(LatencyMs / 6));
            ASSERT_EQ(kill(child.Pid(), SIGINT), 0);
            const ChildResult run = child.Wait();
            ASSERT_TRUE(run.signalled) << run.err;
            const std::string received = Received();
            const std::string lastCommand = modem->Commands().back() + "\r";
            ASSERT_TRUE(received.ends_with(lastCommand)) << "the program ended before the data";

            if (halfData) {
                const std::string block = ExpectedSet(family)[1];
                const std::string half = block.substr(0, block.size() / 2);
                const int line = open(modem->DevicePath().c_str(), O_RDWR | O_NOCTTY);
                ASSERT_GE(line, 0);
                EXPECT_EQ(write(line, half.data(), half.size()), static_cast<ssize_t>(half.size()));
                close(line);
                const auto arrived = std::chrono::steady_clock::now() + std::chrono::seconds(5);
                while (!Received().ends_with(half) && std::chrono::steady_clock::now() < arrived) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(2));
                }
                ASSERT_TRUE(Received().ends_with(half));
            }
            ExpectTheNextRunSucceeds(family, WithModulePower);
        }
    }
}

}  // namespace
}  // namespace corvane::cli
