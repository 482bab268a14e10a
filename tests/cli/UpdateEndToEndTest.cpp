// corvane-update as a whole, in real time, against the virtual module on a pseudo-terminal.
// Every test has a module of its own, so the tests may run side by side.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cli/ResultText.h"
#include "sim/PtyModem.h"
#include "tests/cli/ChildProcess.h"
#include "tests/cli/ScratchDirectory.h"

namespace corvane::cli {
namespace {

using sim::Family;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

const std::string TextSample = CORVANE_SAMPLES_DIR "/k31-audio.prm";
const std::string BinarySample = CORVANE_SAMPLES_DIR "/k47-audio.prm";
constexpr const char* Warning = "Registry key not present. Is the RIL properly installed?";

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// What a text module must hold after the update: the data lines, two to a block.
std::vector<std::string> TextBlocks(const std::string& content) {
    std::vector<std::string> lines;
    std::string line;
    for (const char c : content + "\n") {
        if (c == '\r' || c == '\n') {
            if (!line.empty()) {
                lines.push_back(line);
            }
            line.clear();
        } else {
            line += c;
        }
    }
    std::vector<std::string> blocks;
    for (size_t i = 1; i < lines.size(); i += 2) {
        blocks.push_back(lines[i] + (i + 1 < lines.size() ? lines[i + 1] : ""));
    }
    return blocks;
}

// What a binary module must hold: the records, one after the other.
std::vector<std::string> Records(const std::string& content) {
    std::vector<std::string> records;
    for (size_t at = 0; at + 2 <= content.size();) {
        const size_t length =
            static_cast<uint8_t>(content[at]) << 8 | static_cast<uint8_t>(content[at + 1]);
        records.push_back(content.substr(at, length));
        at += length;
    }
    return records;
}

std::vector<std::string> ExpectedSet(Family family) {
    return family == Family::K31 ? TextBlocks(ReadFile(TextSample))
                                 : Records(ReadFile(BinarySample));
}

class UpdateEndToEndTest : public ::testing::Test {
  protected:
    void StartModule(sim::ModemOptions options) {
        modem = std::make_unique<sim::PtyModem>(options);
        std::string error;
        ASSERT_TRUE(modem->Start(error)) << error;
    }

    ChildResult Update(const std::vector<std::string>& arguments,
                       const std::vector<std::string>& environment = {}) {
        return RunChild(CORVANE_UPDATE_COMMAND, arguments, environment, {"CORVANE_REGISTRY"},
                        std::chrono::seconds(90));
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
    const ChildResult run = Update({"--family", text ? "31" : "47", "--port", modem->DevicePath(),
                                    "--baud", "115200", text ? TextSample : BinarySample});

    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "Audio Parameter Update successfull\n");
    EXPECT_THAT(run.err, IsEmpty());
    const sim::PtyModem& module = Stopped();
    EXPECT_EQ(module.StoredSet(), ExpectedSet(c.family));
    ASSERT_FALSE(module.Commands().empty());
    EXPECT_EQ(module.Commands().back(), "AT^QMSO") << "the module is switched off at the end";
}

// Numeric results only where the module echoes: without echo a "0" confirmation of a block
// that itself begins with "0" reads as the block's echo (the sample's lines do).
INSTANTIATE_TEST_SUITE_P(EchoOnAndOff, UpdateBothFamiliesTest,
                         ::testing::Values(FamilyCase{"TextWithEcho", Family::K31, true, false},
                                           FamilyCase{"TextWithoutEcho", Family::K31, false, false},
                                           FamilyCase{"TextNumeric", Family::K31, true, true},
                                           FamilyCase{"BinaryWithEcho", Family::K47, true, false},
                                           FamilyCase{"BinaryWithoutEcho", Family::K47, false,
                                                      false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(UpdateEndToEndTest, FindsAModuleThatAnswersOnlyAtAnotherRate) {
    StartModule({.family = Family::K47, .rate = 57600});
    const ChildResult run =
        Update({"-f", "47", "-p", modem->DevicePath(), "-b", "115200", "-q", BinarySample});

    EXPECT_EQ(run.status, 0) << run.err;
    const sim::PtyModem& module = Stopped();
    EXPECT_EQ(module.StoredSet(), ExpectedSet(Family::K47));
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
        utf16 += c;
        utf16 += '\0';
    }
    const std::string registry = directory.Write("device.reg", utf16);

    const ChildResult run = Update({TextSample}, {"CORVANE_REGISTRY=" + registry});

    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(run.err, IsEmpty());
    const sim::PtyModem& module = Stopped();
    EXPECT_EQ(module.StoredSet(), ExpectedSet(Family::K31));
    ASSERT_FALSE(module.Transcript().empty());
    EXPECT_EQ(module.Transcript().front().rate, 57600u) << "the registry's rate is tried first";
}

TEST_F(UpdateEndToEndTest, SilentModuleIsReportedAsNotConnected) {
    StartModule({.family = Family::K31, .faults = {.silent = true}});
    const ChildResult run = Update({"-p", modem->DevicePath(), "-b", "115200", TextSample});

    EXPECT_EQ(run.status, 6);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, ForTerminal(FailureText(6)));
    std::string received;
    for (const sim::TranscriptEntry& entry : Stopped().Transcript()) {
        received += entry.bytes;
    }
    // Two passes over the rates, fewer probes than twelve as 115200 is probed once a pass.
    EXPECT_EQ(received,
              "AT\r"
              "AT\r"
              "AT\r"
              "AT\r"
              "AT\r"
              "AT\r"
              "AT\r"
              "AT\r"
              "AT\r"
              "AT\r")
        << "nothing but probes";
}

TEST_F(UpdateEndToEndTest, MissingFileEndsBeforeThePortIsUsed) {
    StartModule({.family = Family::K31});
    const ChildResult run =
        Update({"-p", modem->DevicePath(), "-b", "115200", directory.PathOf("absent.prm")});
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.err,
              "Audio Parameter Update failed!\nError code: 3\n"
              "Couldn't open audio parameter file. (maybe wrong file name)\n");
    EXPECT_THAT(Stopped().Transcript(), IsEmpty());

    // Not even a port that does not exist is looked at.
    EXPECT_EQ(Update({"-p", "/dev/corvane-none", "-b", "115200", "absent.prm"}).status, 3);
}

TEST_F(UpdateEndToEndTest, WithoutAPortTheUpdateEndsWithPortUnavailable) {
    const ChildResult run = Update({"-r", directory.PathOf("none.reg"), TextSample});
    EXPECT_EQ(run.status, 2);
    EXPECT_THAT(run.err, HasSubstr(std::string("corvane-update: ") + Warning + "\n"));
    EXPECT_THAT(run.err, HasSubstr(ForTerminal(FailureText(2))));

    EXPECT_EQ(Update({"-p", "/dev/corvane-none", "-b", "115200", TextSample}).status, 2);
}

TEST_F(UpdateEndToEndTest, BinaryFileForATextModuleIsTheWrongModuleType) {
    StartModule({.family = Family::K31});
    const ChildResult run =
        Update({"-f", "47", "-p", modem->DevicePath(), "-b", "115200", BinarySample});
    EXPECT_EQ(run.status, 7);
    EXPECT_EQ(run.err, ForTerminal(FailureText(7)));
    const sim::PtyModem& module = Stopped();
    EXPECT_THAT(module.StoredSet(), IsEmpty());
    EXPECT_EQ(module.Commands().back(), "AT^QMSO");
}

TEST_F(UpdateEndToEndTest, UsageErrorsExitWith64BeforeAnythingElse) {
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {}, {"--no-such-option", TextSample}, {"--baud", "fast", TextSample}}) {
        const ChildResult run = Update(arguments);
        EXPECT_EQ(run.status, 64) << ::testing::PrintToString(arguments);
        EXPECT_THAT(run.err, HasSubstr("Run with --help"));
        EXPECT_EQ(run.out, "");
    }
}

}  // namespace
}  // namespace corvane::cli
