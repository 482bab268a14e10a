// corvane-update as a whole, in real time, against the virtual module on a pseudo-terminal.
// Every test has a module of its own, so the tests may run side by side.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "cli/TerminalText.h"
#include "sim/PtyModem.h"
#include "tests/cli/ChildProcess.h"
#include "tests/cli/SampleSets.h"
#include "tests/cli/ScratchDirectory.h"
#include "upload/ResultText.h"

namespace corvane::cli {
namespace {

using sim::Family;
using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

class UpdateEndToEndTest : public ::testing::Test {
  protected:
    void StartModule(sim::ModemOptions options) {
        modem = std::make_unique<sim::PtyModem>(options);
        std::string error;
        ASSERT_TRUE(modem->Start(error)) << error;
    }
    // Quiet: stderr holds only what went wrong, without the phases of the run.
    ChildResult Update(std::vector<std::string> arguments,
                       const std::vector<std::string>& environment = {}) {
        arguments.insert(arguments.begin(), "-q");
        return RunChild(CORVANE_UPDATE_COMMAND, arguments, environment);
    }
    std::vector<std::string> DeviceAt115200() {
        return {"-p", modem->DevicePath(), "-b", "115200"};
    }
    // The module, done with the line: what it holds no longer changes.
    sim::PtyModem& Stopped() {
        modem->Stop();
        return *modem;
    }

    std::unique_ptr<sim::PtyModem> modem;
    ScratchDirectory directory;
};

struct FamilyCase {
    const char* name;
    Family family;
    bool echo;
    bool numeric;
};

void PrintTo(const FamilyCase& c, std::ostream* out) {
    *out << c.name;
}

class UpdateBothFamiliesTest : public UpdateEndToEndTest,
                               public ::testing::WithParamInterface<FamilyCase> {};

TEST_P(UpdateBothFamiliesTest, ModuleHoldsTheFilesDataAfterwards) {
    const FamilyCase& c = GetParam();
    StartModule({.family = c.family, .echo = c.echo, .numeric = c.numeric});
    const bool text = c.family == Family::K31;
    std::vector<std::string> arguments = DeviceAt115200();
    arguments.insert(arguments.end(), {"-f", text ? "31" : "47", text ? TextSample : BinarySample});
    const ChildResult run = Update(arguments);

    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "Audio Parameter Update successfull\n");
    EXPECT_THAT(run.err, IsEmpty());
    const sim::PtyModem& module = Stopped();
    EXPECT_EQ(module.StoredSet(), ExpectedSet(c.family));
    EXPECT_EQ(module.Commands().back(), "AT^QMSO") << "the module is switched off at the end";
}

// Numeric results: CONNECT is a bare 1, and without echo the "0" confirming a block that itself
// begins with 0 (the sample's lines do) is no echo of it.
INSTANTIATE_TEST_SUITE_P(
    EchoOnAndOff, UpdateBothFamiliesTest,
    ::testing::Values(FamilyCase{"TextWithEcho", Family::K31, true, false},
                      FamilyCase{"TextWithoutEcho", Family::K31, false, false},
                      FamilyCase{"TextNumeric", Family::K31, true, true},
                      FamilyCase{"TextNumericWithoutEcho", Family::K31, false, true},
                      FamilyCase{"BinaryWithEcho", Family::K47, true, false},
                      FamilyCase{"BinaryWithoutEcho", Family::K47, false, false},
                      FamilyCase{"BinaryNumeric", Family::K47, true, true},
                      FamilyCase{"BinaryNumericWithoutEcho", Family::K47, false, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(UpdateEndToEndTest, FindsAModuleThatAnswersOnlyAtAnotherRate) {
    StartModule({.family = Family::K47, .rate = 57600});
    const ChildResult run =
        Update({"-f", "47", "-p", modem->DevicePath(), "-b", "115200", "-s", "bat", BinarySample});

    EXPECT_EQ(run.status, 0) << run.err;
    const sim::PtyModem& module = Stopped();
    EXPECT_EQ(module.StoredSet(), ExpectedSet(Family::K47));
    EXPECT_THAT(module.Commands(), Contains("AT^QBNW=bat,0"));
    bool probedAbove = false;
    for (const sim::TranscriptEntry& entry : module.Transcript()) {
        probedAbove = probedAbove || entry.rate == 230400;
    }
    EXPECT_TRUE(probedAbove) << "the search went through the candidate rates";
}

TEST_F(UpdateEndToEndTest, TakesPortAndRateFromTheRegistryFileInTheEnvironment) {
    StartModule({.family = Family::K31, .rate = 57600});
    // As regedit saves it: UTF-16LE behind a byte-order mark.
    const std::string text =
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\RIL]\r\n"
        "\"DataPortInternal\"=\"" +
        modem->DevicePath() +
        "\"\r\n"
        "\"BaudRate\"=dword:0000e100\r\n";
    std::string utf16 = "\xFF\xFE";
    for (const char c : text) {
        utf16 += {c, '\0'};
    }
    const ChildResult run =
        Update({TextSample}, {"CORVANE_REGISTRY=" + directory.Write("device.reg", utf16)});

    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(run.err, IsEmpty());
    const sim::PtyModem& module = Stopped();
    EXPECT_EQ(module.StoredSet(), ExpectedSet(Family::K31));
    EXPECT_EQ(module.Transcript().at(0).rate, 57600u) << "the registry's rate is tried first";
}

// Silent, or echoing every probe without an answer as a module left in a text block does: the
// operator hears which, and what to do about it.
TEST_F(UpdateEndToEndTest, SilentModuleIsReportedAsNotConnected) {
    const struct {
        sim::ModemFaults faults;
        std::string advice;
    } cases[] = {
        {{.silent = true},
         "if the module runs at another rate, give it with corvane-update -b RATE"},
        {{.answer = sim::Answer::None},
         "the module echoes but does not answer: it may still wait for the data of an interrupted "
         "block; switch it off and on"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.advice);
        StartModule({.family = Family::K31, .faults = c.faults});
        std::vector<std::string> arguments = DeviceAt115200();
        arguments.push_back(TextSample);
        const ChildResult run = Update(arguments);

        EXPECT_EQ(run.status, 6);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, ForTerminal(FailureText(6)) +
                               "corvane-update: no answer to AT at 115200, 230400, 57600, 38400, "
                               "19200 baud (2 passes); " +
                               c.advice + "\n");
        std::string received;
        for (const sim::TranscriptEntry& entry : Stopped().Transcript()) {
            received += entry.bytes;
        }
        // Two passes over the rates; 115200 is both the configured rate and a candidate, so five
        // probes a pass.
        EXPECT_EQ(received, "AT\rAT\rAT\rAT\rAT\rAT\rAT\rAT\rAT\rAT\r") << "nothing but probes";
    }
}

// The wrong family either way round: the operator is told which to choose, and the module is
// left taking commands, switched off, so that the right family's file then goes in on the same
// module. A K47 module would take the K31 cancel command as its record command and what follows
// as a record: it must be reset instead.
TEST_F(UpdateEndToEndTest, WrongFamilyNamesTheRightOneAndLeavesTheModuleTakingCommands) {
    const struct {
        Family module;
        const char* chosen;
        const std::string& file;
        int status;
        std::string detail;
    } cases[] = {
        {Family::K47, "31", TextSample, 4,
         "the module answered CONNECT: it takes binary files — choose K47 (`-f 47`)"},
        {Family::K31, "47", BinarySample, 7,
         "the module answered OK: it takes text files — choose K31 (`-f 31`)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.chosen);
        StartModule({.family = c.module});
        std::vector<std::string> arguments = DeviceAt115200();
        arguments.insert(arguments.end(), {"-f", c.chosen, c.file});
        const ChildResult run = Update(arguments, WithModulePower);

        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.err,
                  ForTerminal(FailureText(c.status)) + "corvane-update: " + c.detail + "\n");
        EXPECT_THAT(modem->StoredSet(), IsEmpty());
        EXPECT_EQ(modem->Commands().back(), "AT^QMSO") << "taken as a command, not as data";

        const bool text = c.module == Family::K31;
        arguments.end()[-2] = text ? "31" : "47";
        arguments.back() = text ? TextSample : BinarySample;
        const ChildResult next = Update(arguments, WithModulePower);
        EXPECT_EQ(next.status, 0) << next.err;
        EXPECT_EQ(Stopped().StoredSet(), ExpectedSet(c.module));
    }
}

// A refused file must not leave the module waiting in a data mode: the next good file goes in
// on the same module, without its restart.
TEST_F(UpdateEndToEndTest, AfterARefusedFileTheNextRunSucceeds) {
    const std::string longRecord = std::string("\x07\xD0", 2) + std::string(1998, 'r');
    const std::string longPair =
        "Lines: 2\r\n" + std::string(600, 'a') + "\r\n" + std::string(600, 'b') + "\r\n";
    const struct {
        Family family;
        std::string refused;
        std::string good;
    } cases[] = {
        {Family::K47, FileContents(BinarySample).substr(0, 11) + longRecord, BinarySample},
        {Family::K47, FileContents(BinarySample).substr(0, 11) + "\x40", BinarySample},
        {Family::K31, longPair, TextSample},
        {Family::K31, "A\r\nB\r\n", TextSample},
        {Family::K31, "Lines: 6\r\nA\r\nB\r\nC\r\n", TextSample},
    };
    for (const auto& c : cases) {
        const bool text = c.family == Family::K31;
        SCOPED_TRACE(text ? "K31" : "K47");
        StartModule({.family = c.family});
        std::vector<std::string> arguments = DeviceAt115200();
        arguments.insert(arguments.end(), {"-f", text ? "31" : "47"});
        std::vector<std::string> refused = arguments;
        refused.push_back(directory.Write("refused.prm", c.refused));
        EXPECT_EQ(Update(refused).status, 4);

        arguments.push_back(c.good);
        const ChildResult next = Update(arguments);
        EXPECT_EQ(next.status, 0) << next.err;
        EXPECT_EQ(Stopped().StoredSet(), ExpectedSet(c.family));
    }
}

TEST_F(UpdateEndToEndTest, UsageErrorsExitWith64) {
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {}, {"--no-such-option", TextSample}, {"--baud", "fast", TextSample}}) {
        const ChildResult run = Update(arguments);
        EXPECT_EQ(run.status, 64) << ::testing::PrintToString(arguments);
        EXPECT_THAT(run.err, HasSubstr("Run with --help"));
    }
}

// Started in the background or by a service manager, its stdin is /dev/null: it serves on
// until it is told to stop.
TEST(ModemSimEndToEndTest, ServesUntilASignalWhenStdinIsNoPipeAndRefusesBadUsage) {
    ChildProcess module(CORVANE_MODEMSIM_COMMAND, {}, {});
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    int status = 0;
    ASSERT_EQ(waitpid(module.Pid(), &status, WNOHANG), 0) << "ended on its own";
    ASSERT_EQ(kill(module.Pid(), SIGTERM), 0);
    const ChildResult served = module.Wait();
    EXPECT_EQ(served.status, 0) << served.err;
    EXPECT_THAT(served.out, ::testing::StartsWith("/dev/pts/"));

    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--family", "x"}, {"--count", "2", "--faulty", "3"}}) {
        const ChildResult misused = RunChild(CORVANE_MODEMSIM_COMMAND, arguments, {});
        EXPECT_EQ(misused.status, 64);
        EXPECT_THAT(misused.err,
                    HasSubstr(arguments.front() == "--family" ? "--family" : "--faulty"));
    }
}

// Several modules in one process, each under the name it was asked to appear as for as long as
// it serves; only the chosen one misbehaves.
TEST(ModemSimEndToEndTest, ServesSeveralModulesUnderTheirLinksAndFaultsOnlyTheChosenOne) {
    ScratchDirectory directory;
    const std::string link = directory.PathOf("port");
    ChildProcess modules(CORVANE_MODEMSIM_COMMAND,
                         {"--count", "3", "--faulty", "2", "--silent", "--link", link}, {});
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    std::vector<std::string> results;
    for (int k = 1; k <= 3; ++k) {
        const std::string port = link + "-" + std::to_string(k);
        ASSERT_TRUE(std::filesystem::is_symlink(port)) << port;
        results.push_back(std::to_string(
            RunChild(CORVANE_UPDATE_COMMAND, {"-q", "-p", port, "-b", "115200", TextSample}, {})
                .status));
    }
    ASSERT_EQ(kill(modules.Pid(), SIGTERM), 0);
    const ChildResult served = modules.Wait();
    EXPECT_EQ(served.status, 0) << served.err;
    EXPECT_EQ(std::count(served.out.begin(), served.out.end(), '\n'), 3) << served.out;
    EXPECT_EQ(results, (std::vector<std::string>{"0", "6", "0"}));
    for (int k = 1; k <= 3; ++k) {
        EXPECT_FALSE(std::filesystem::exists(link + "-" + std::to_string(k)));
    }
}

}  // namespace
}  // namespace corvane::cli
