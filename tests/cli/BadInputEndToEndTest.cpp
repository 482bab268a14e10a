// corvane-update given what it cannot use: each bad input ends with its result code (or goes on
// with a warning), says on stderr what went wrong, and leaves nothing half-done in the module.
// Each case records its input, exit status and messages as test properties, for the figures
// that scripts/figures.sh collects.

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "cli/TerminalText.h"
#include "sim/PtyModem.h"
#include "tests/cli/ChildProcess.h"
#include "tests/cli/SampleSets.h"
#include "tests/cli/ScratchDirectory.h"
#include "upload/ResultText.h"
#include "upload/UploadOutcome.h"

namespace corvane::cli {
namespace {

using sim::Family;
using ::testing::Contains;
using ::testing::IsEmpty;
using Lines = std::vector<std::string>;

class BadInputEndToEndTest;

// What one bad input is run with and must come to.
struct Scenario {
    std::vector<std::string> arguments;
    int status = 0;
    // stderr as a whole.
    std::string err;
    // What the module must (not) have been through.
    std::function<void(const sim::PtyModem&)> check = {};
};

struct BadInput {
    const char* name;
    Family family;
    // Root is refused neither by a port's mode nor by another program's exclusive hold.
    bool needsNonRoot;
    std::function<Scenario(BadInputEndToEndTest&)> make;
};

void PrintTo(const BadInput& input, std::ostream* out) {
    *out << input.name;
}

std::string Said(const std::string& line) {
    return "corvane-update: " + line + "\n";
}

std::string Failed(ResultCode code, const std::string& detail) {
    return ForTerminal(FailureText(code)) + (detail.empty() ? "" : Said(detail));
}

// The module heard nothing at all: the run ended before the port was used.
void NeverHeardAByte(const sim::PtyModem& module) {
    EXPECT_THAT(module.Transcript(), IsEmpty());
}

// Found and switched off, but given no block command.
void NothingSent(const sim::PtyModem& module) {
    EXPECT_THAT(module.StoredSet(), IsEmpty());
    EXPECT_EQ(module.Commands(), (Lines{"AT", "AT", "AT^QMSO"}))
        << "the probe, the handshake, the switch-off";
}

// What the text reader makes of the binary sample.
const std::string NotTextHeader = "line 1 at byte 0: the first line is no \"Lines:\" header";

class BadInputEndToEndTest : public ::testing::TestWithParam<BadInput> {
  public:
    std::vector<std::string> At115200(const std::string& port, const std::string& file,
                                      Family family) const {
        // Quiet: stderr holds only what went wrong, without the phases of the run.
        return {"-q", "-p", port, "-b", "115200", "-f", family == Family::K31 ? "31" : "47", file};
    }
    std::string Device() const { return modem->DevicePath(); }

    std::unique_ptr<sim::PtyModem> modem;
    ScratchDirectory directory;
    // A descriptor that holds the module's port exclusively, for the case that needs one.
    int holder = -1;

    ~BadInputEndToEndTest() override {
        if (holder >= 0) {
            close(holder);
        }
    }
};

// A text file whose header gives no usable count: refused before any block command.
// checkOnly: with --check, which names the line the same way and never opens the port.
std::function<Scenario(BadInputEndToEndTest&)> WithoutACount(const std::string& content,
                                                             const std::string& count,
                                                             bool checkOnly = false) {
    return [=](BadInputEndToEndTest& t) {
        const std::string file = t.directory.Write("count.prm", content);
        const std::string why =
            file + ": line 1 at byte 0: \"Lines:\" is followed by no count of lines (\"" + count +
            "\")";
        if (checkOnly) {
            return Scenario{{"--check", file}, 4, Said(why), NeverHeardAByte};
        }
        return Scenario{t.At115200(t.Device(), file, Family::K31), 4,
                        Failed(ResultInvalidFile, why), NothingSent};
    };
}

std::vector<BadInput> Inputs() {
    using T = BadInputEndToEndTest;
    constexpr Family K31 = Family::K31;
    constexpr Family K47 = Family::K47;
    return {
        {"MissingParameterFile", K31, false,
         [](T& t) {
             const std::string absent = t.directory.PathOf("absent.prm");
             // The file is taken first: a missing port is not even tried.
             return Scenario{t.At115200("/dev/corvane-none", absent, K31), 3,
                             Failed(ResultFileOpenFailed, absent + ": no such file"),
                             NeverHeardAByte};
         }},
        {"DirectoryAsParameterFile", K31, false,
         [](T& t) {
             const std::string folder = t.directory.PathOf("folder.prm");
             std::filesystem::create_directory(folder);
             return Scenario{t.At115200(t.Device(), folder, K31), 3,
                             Failed(ResultFileOpenFailed, folder + ": is a directory"),
                             NeverHeardAByte};
         }},
        {"MissingPort", K31, false,
         [](T& t) {
             return Scenario{t.At115200("/dev/corvane-none", TextSample, K31), 2,
                             Failed(ResultPortUnavailable, "/dev/corvane-none: no such device"),
                             NeverHeardAByte};
         }},
        // Names from outside reach the terminal escaped, in the trace as well.
        {"TerminalControlsInThePortName", K31, false,
         [](T& t) {
             std::vector<std::string> arguments =
                 t.At115200("/dev/corvane-\x1B]0;OWNED\x07", TextSample, K31);
             arguments.insert(arguments.begin(), "--trace");
             const std::string escaped = "/dev/corvane-\\x1B]0;OWNED\\x07";
             return Scenario{arguments, 2,
                             "[time] cannot open " + escaped + "\n" +
                                 Failed(ResultPortUnavailable, escaped + ": no such device"),
                             NeverHeardAByte};
         }},
        {"TerminalControlsInTheFileName", K31, false,
         [](T& t) {
             const std::string file = t.directory.PathOf("\x1B[2J.prm");
             return Scenario{{"--check", file},
                             3,
                             Said(t.directory.PathOf("\\x1B[2J.prm") + ": no such file"),
                             NeverHeardAByte};
         }},
        {"RegularFileAsPort", K31, false,
         [](T& t) {
             const std::string file = t.directory.Write("ttyFAKE", "not a port");
             return Scenario{t.At115200(file, TextSample, K31), 2,
                             Failed(ResultPortUnavailable, file + ": not a serial port"),
                             NeverHeardAByte};
         }},
        {"DevNullAsPort", K31, false,
         [](T& t) {
             return Scenario{t.At115200("/dev/null", TextSample, K31), 2,
                             Failed(ResultPortUnavailable, "/dev/null: not a serial port"),
                             NeverHeardAByte};
         }},
        {"PortWithoutPermission", K31, true,
         [](T& t) {
             chmod(t.Device().c_str(), 0);
             return Scenario{
                 t.At115200(t.Device(), TextSample, K31), 2,
                 Failed(ResultPortUnavailable,
                        t.Device() + ": permission denied (is the user in the dialout group?)"),
                 NeverHeardAByte};
         }},
        {"PortHeldExclusivelyByAnotherProgram", K31, true,
         [](T& t) {
             t.holder = open(t.Device().c_str(), O_RDWR | O_NOCTTY);
             ioctl(t.holder, TIOCEXCL);
             return Scenario{
                 t.At115200(t.Device(), TextSample, K31), 2,
                 Failed(ResultPortUnavailable,
                        t.Device() + ": in use by another program that holds it exclusively"),
                 NeverHeardAByte};
         }},
        {"TextFileTruncatedBeforeItsLastBlock", K31, false,
         [](T& t) {
             // The header and four of the six lines: blocks 1 and 2 of 3.
             std::string text = FileContents(TextSample);
             size_t end = 0;
             for (int line = 0; line < 5; ++line) {
                 end = text.find('\n', end) + 1;
             }
             const std::string file = t.directory.Write("cut.prm", text.substr(0, end));
             return Scenario{t.At115200(t.Device(), file, K31), 4,
                             Failed(ResultInvalidFile,
                                    file + ": the file ends at byte 174 after 4 of the 6 lines its "
                                           "header declares"),
                             [](const sim::PtyModem& module) {
                                 const Lines commands = module.Commands();
                                 EXPECT_THAT(commands, Contains("AT^QBNW=aud,0,2,3"));
                                 EXPECT_THAT(commands,
                                             ::testing::Not(Contains("AT^QBNW=aud,0,3,3")));
                                 ASSERT_GE(commands.size(), 2u);
                                 EXPECT_EQ(commands.end()[-2], "AT^QBNW=aud,0") << "cancelled";
                                 EXPECT_EQ(commands.back(), "AT^QMSO");
                             }};
         }},
        {"BinaryFileTruncatedInsideARecord", K47, false,
         [](T& t) {
             const std::string file =
                 t.directory.Write("cut.prm", FileContents(BinarySample).substr(0, 379 + 3));
             return Scenario{
                 t.At115200(t.Device(), file, K47), 4,
                 Failed(ResultInvalidFile,
                        file + ": record 4 at byte 379: length 6, but the file ends after 3 of "
                               "its bytes"),
                 [](const sim::PtyModem& module) {
                     const Lines whole = ExpectedSet(Family::K47);
                     EXPECT_EQ(module.StoredSet(), Lines(whole.begin(), whole.end() - 1))
                         << "complete records only";
                     EXPECT_EQ(module.Commands().back(), "AT^QMSO");
                 }};
         }},
        {"TextFileTruncatedToNothing", K31, false,
         [](T& t) {
             const std::string file = t.directory.Write("empty.prm", "");
             return Scenario{
                 t.At115200(t.Device(), file, K31), 4,
                 Failed(ResultInvalidFile, file + ": no \"Lines:\" header: the file holds no text"),
                 [](const sim::PtyModem& module) {
                     EXPECT_THAT(module.StoredSet(), IsEmpty());
                     EXPECT_EQ(module.Commands().back(), "AT^QMSO");
                 }};
         }},
        // An empty binary file is a valid one without records, a count of 0 a valid text file
        // without blocks: a success, but not one that wrote anything.
        {"BinaryFileTruncatedToNothing", K47, false,
         [](T& t) {
             const std::string file = t.directory.Write("empty.prm", "");
             return Scenario{t.At115200(t.Device(), file, K47), 0, Said(NothingWrittenText),
                             NothingSent};
         }},
        {"TextFileDeclaringNoLines", K31, false,
         [](T& t) {
             const std::string file = t.directory.Write("none.prm", "Lines: 0\r\nA\r\n");
             return Scenario{t.At115200(t.Device(), file, K31), 0, Said(NothingWrittenText),
                             NothingSent};
         }},
        // atoi would read no count as 0 and a negative one as a huge block total.
        {"TextFileWithANegativeCount", K31, false, WithoutACount("Lines: -3\r\nA\r\nB\r\n", " -3")},
        {"TextFileWithoutACount", K31, false, WithoutACount("Lines:\r\nA\r\n", "")},
        {"CheckedTextFileWithABadCount", K31, false,
         WithoutACount("Lines: x\r\nA\r\n", " x", true)},
        // The other family's file: said so, with the option that takes it.
        {"K47FileGivenAsK31", K47, false,
         [](T& t) {
             const std::string file =
                 t.directory.Write("k47-audio.prm", FileContents(BinarySample));
             return Scenario{t.At115200(t.Device(), file, K31), 4,
                             Failed(ResultInvalidFile, file + ": " + NotTextHeader) +
                                 Said(file + " reads as a K47 file: use -f 47"),
                             NothingSent};
         }},
        {"K31FileGivenAsK47", K31, false,
         [](T& t) {
             const std::string file = t.directory.Write("k31-audio.prm", FileContents(TextSample));
             return Scenario{t.At115200(t.Device(), file, K47), 4,
                             Failed(ResultInvalidFile,
                                    file + ": record 1 at byte 0: length 19561, more than the "
                                           "1023 bytes a block takes") +
                                 Said(file + " reads as a K31 file: use -f 31"),
                             NothingSent};
         }},
        {"CheckedK47FileAsK31", K47, false,
         [](T& t) {
             const std::string file =
                 t.directory.Write("k47-audio.prm", FileContents(BinarySample));
             return Scenario{
                 {"--check", file},
                 4,
                 Said(file + ": " + NotTextHeader) + Said("this reads as a K47 file: use -f 47"),
                 NeverHeardAByte};
         }},
        // Only checked: the port is not even opened.
        {"CheckedFileWithABadRecord", K47, false,
         [](T& t) {
             const std::string file = t.directory.Write("zero.prm", std::string(4, '\0'));
             // No port given, none in the registry: a check needs none.
             return Scenario{{"--check", "-f", "K47", file},
                             4,
                             Said(file + ": record 1 at byte 0: length 0 leaves no room for data"),
                             NeverHeardAByte};
         }},
        // A registry export named with --registry must read: a usage error, before any port.
        {"InvalidRegistryFileNamed", K31, false,
         [](T& t) {
             const std::string reg = t.directory.Write("bad.reg", "REGEDIT4\n[HKLM\\X\n");
             return Scenario{{"-r", reg, "-p", t.Device(), TextSample},
                             64,
                             Said(reg + ": line 2: a key line must end with ']'"),
                             NeverHeardAByte};
         }},
    };
}

// Every place of `from` in text given as `to`.
// A trace line's time depends on the machine's speed; the words are what is checked.
std::string WithoutTraceTimes(const std::string& err) {
    static const std::regex stamp(R"(\[ *[0-9]+ ms\])");
    return std::regex_replace(err, stamp, "[time]");
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
        text.replace(at, from.size(), to);
        at += to.size();
    }
    return text;
}

// The lines the command added to the result text, for the figures: the same from run to run,
// with the scratch directory as DIR and the module's pseudo-terminal as /dev/pts/N.
std::string SaidLines(const std::string& err, const BadInputEndToEndTest& test) {
    std::istringstream lines(err);
    std::string said;
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with("corvane-update: ")) {
            said += (said.empty() ? "" : " / ") + line.substr(16);
        }
    }
    return Replaced(Replaced(said, test.directory.PathOf(""), "DIR/"), test.Device(), "/dev/pts/N");
}

TEST_P(BadInputEndToEndTest, EndsWithItsCodeAndSaysWhatWentWrong) {
    const BadInput& input = GetParam();
    if (input.needsNonRoot && geteuid() == 0) {
        GTEST_SKIP() << "root is refused neither by a port's mode nor by TIOCEXCL";
    }
    modem = std::make_unique<sim::PtyModem>(sim::ModemOptions{.family = input.family});
    std::string error;
    ASSERT_TRUE(modem->Start(error)) << error;
    const Scenario scenario = input.make(*this);

    const ChildResult run = RunChild(CORVANE_UPDATE_COMMAND, scenario.arguments, {});
    modem->Stop();
    RecordProperty("input", input.name);
    RecordProperty("exit_status", run.status);
    RecordProperty("said", SaidLines(run.err, *this));

    EXPECT_EQ(run.status, scenario.status);
    EXPECT_EQ(WithoutTraceTimes(run.err), scenario.err);
    EXPECT_EQ(run.out, scenario.status == 0 ? SuccessText + std::string("\n") : "");
    if (scenario.check) {
        scenario.check(*modem);
    }
}

INSTANTIATE_TEST_SUITE_P(Inputs, BadInputEndToEndTest, ::testing::ValuesIn(Inputs()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace corvane::cli
