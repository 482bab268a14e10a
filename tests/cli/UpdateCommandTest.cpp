#include "cli/UpdateCommand.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "cli/CheckCommand.h"
#include "tests/cli/ScratchDirectory.h"
#include "tests/support/BinaryRecord.h"
#include "tests/support/FakeModem.h"
#include "tests/support/FakePlatform.h"

namespace corvane::cli {
namespace {

using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

TEST(ResolveConnectionTest, OptionsFirstThenTheRegistryThenTheDefaults) {
    ScratchDirectory dir;
    const std::string ril =
        dir.Write("ril.reg",
                  "REGEDIT4\n[HKLM\\Software\\Microsoft\\RIL]\n"
                  "\"DataPortInternal\"=\"/dev/ril\"\n\"BaudRate\"=dword:e100\n");
    const std::string mux =
        dir.Write("mux.reg",
                  "REGEDIT4\n[HKLM\\Drivers\\BuiltIn\\Multiplexer]\n\"ParentPort\"=\"/dev/mux\"\n");
    const std::string broken = dir.Write("broken.reg", "REGEDIT4\n[HKLM\\X\n");
    const std::string missing = dir.PathOf("missing.reg");
    const std::string noRate = "corvane-update: registry export " + mux +
                               " has no BaudRate under "
                               "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\RIL]; using 115200\n";
    const std::string noPort =
        "corvane-update: no serial port: give --port DEVICE (or a registry export with --registry "
        "FILE)\n";

    struct Case {
        std::optional<std::string> port;
        std::optional<uint32_t> rate;
        std::string registry;
        bool required;
        std::optional<Connection> expected;
        std::string err;
    };
    const std::vector<Case> cases = {
        {"/dev/a", 9600, missing, false, Connection{"/dev/a", 9600},
         ""},  // the registry is not read
        // Named, it is read all the same: a mistyped name is no silent success.
        {"/dev/a", 9600, missing, true, {}, "corvane-update: " + missing + ": no such file\n"},
        {"/dev/a",
         9600,
         broken,
         true,
         {},
         "corvane-update: " + broken + ": line 2: a key line must end with ']'\n"},
        {"/dev/a", 9600, mux, true, Connection{"/dev/a", 9600}, ""},
        {"/dev/a", {}, ril, true, Connection{"/dev/a", 57600}, ""},
        {{}, 19200, ril, true, Connection{"/dev/ril", 19200}, ""},
        {{}, {}, ril, true, Connection{"/dev/ril", 57600}, ""},
        {{}, {}, mux, true, Connection{"/dev/mux", 115200}, noRate},
        {{}, 38400, mux, true, Connection{"/dev/mux", 38400}, ""},
        // Only an export that --registry names must read.
        {"/dev/a", {}, missing, true, {}, "corvane-update: " + missing + ": no such file\n"},
        {"/dev/a",
         {},
         missing,
         false,
         Connection{"/dev/a", 115200},
         "corvane-update: " + missing + ": no such file; using 115200\n"},
        {{},
         38400,
         broken,
         false,
         {},
         "corvane-update: " + broken + ": line 2: a key line must end with ']'\n" + noPort},
        {"", 38400, ril, true, {}, noPort},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE("case " + std::to_string(i));
        UpdateOptions options;
        options.port = cases[i].port;
        options.baudRate = cases[i].rate;
        options.registryFile = cases[i].registry;
        options.registryRequired = cases[i].required;
        std::ostringstream err;
        const std::optional<Connection> connection = ResolveConnection(options, err);
        ASSERT_EQ(connection.has_value(), cases[i].expected.has_value());
        if (connection) {
            EXPECT_EQ(connection->port, cases[i].expected->port);
            EXPECT_EQ(connection->baudRate, cases[i].expected->baudRate);
        }
        EXPECT_EQ(err.str(), cases[i].err);
    }
}

// What only a terminal shows, and the trace, against the virtual module on virtual time.
class UpdateCommandTest : public ::testing::Test {
  protected:
    int Run(const std::string& content, bool terminal) {
        options.filePath = directory.Write("set.prm", content);
        Console console{out, err, terminal};
        return RunUpdateCommand(options, {"/dev/ttyS1", 115200}, fake.platform, console, stop).code;
    }

    ScratchDirectory directory;
    test::FakePlatform fake;
    test::FakeModem module{fake.port, {}};
    UpdateOptions options;
    StopRequest stop;
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(UpdateCommandTest, PhasesAndBarOnATerminalAndNeverWithQuietOrTrace) {
    const std::string file = "Lines: 4\nA\nB\nC\nD\n";
    EXPECT_EQ(Run(file, true), 0);
    // No bar until the blocks go out; the rate found stays on its line.
    EXPECT_THAT(err.str(),
                StartsWith("\rfinding the rate...\rmodule answers at 115200 baud\n\r[...."));
    EXPECT_THAT(err.str(), HasSubstr("]  50%  writing block 2 of 2\r["));
    EXPECT_THAT(err.str(), EndsWith("] 100%  switching the module off\n"));
    EXPECT_EQ(out.str(), "Audio Parameter Update successfull\n");

    for (const bool quiet : {true, false}) {
        err.str("");
        options.quiet = quiet;
        options.trace = !quiet;
        EXPECT_EQ(Run(file, true), 0);
        EXPECT_THAT(err.str(), Not(HasSubstr("%")));
        EXPECT_THAT(err.str(), Not(HasSubstr("writing")));
    }
}

// A log gets one line per phase, not one per block; -q leaves it quiet.
TEST_F(UpdateCommandTest, OneLinePerPhaseWithoutATerminal) {
    EXPECT_EQ(Run("Lines: 5\nA\nB\nC\nD\nE\n", false), 0);
    EXPECT_EQ(err.str(),
              "finding the rate, 115200 baud first\nmodule answers at 115200 baud\n"
              "writing 3 blocks\nswitching the module off\n");

    err.str("");
    options.quiet = true;
    EXPECT_EQ(Run("Lines: 1\nA\n", false), 0);
    EXPECT_EQ(err.str(), "");
}

TEST_F(UpdateCommandTest, TraceTellsTheDialogue) {
    options.trace = true;
    EXPECT_EQ(Run("Lines: 1\nA\n", false), 0);
    const std::string trace = err.str();
    EXPECT_THAT(trace, HasSubstr(" ms] open /dev/ttyS1\n"));
    EXPECT_THAT(trace, HasSubstr(" ms] > AT^QBNW=aud,0,1,1\\r\n"));
    EXPECT_THAT(trace, HasSubstr(" ms] < AT^QBNW=aud,0,1,1\\r\\r\\n> \n"));
    EXPECT_THAT(trace, HasSubstr(" ms] > A\\x1A\n"));
    EXPECT_THAT(trace, HasSubstr(" ms] > AT^QMSO\\r\n"));
    EXPECT_THAT(trace, EndsWith(" ms] close\n"));
}

// --check reads the file as the update would and tells what would be sent, or where it stops;
// no port is opened, no registry read.
TEST(CheckCommandTest, TellsWhatWouldBeSentOrTheFirstProblem) {
    struct Case {
        const char* name;
        UploadProcedure procedure;
        std::string content;
        int status;
        std::string out;
        std::string err;
    };
    const std::string seven = std::string(7, 'x');
    const Case cases[] = {
        {"Text", UploadProcedure::Text, "Lines: 3\r\nAB\r\n\r\n" + seven + "\r\nC\r\n", 0,
         "block 1 of 2: lines 2 and 4 at byte 10, 9 characters\n"
         "block 2 of 2: line 5 at byte 25, 1 character\n"
         "2 blocks of text, 10 characters, for a K31 module (3 lines declared)\n",
         ""},
        {"TextPairTooLong", UploadProcedure::Text,
         "Lines:4\nA\nB\n" + std::string(600, 'c') + "\n" + std::string(600, 'd') + "\n", 4,
         "block 1 of 2: lines 2 and 3 at byte 8, 2 characters\n",
         "lines 4 and 5 at byte 12: together longer than the 1022 characters a block takes"},
        {"Binary", UploadProcedure::Binary, test::Record(300) + test::Record(5), 0,
         "record 1 at byte 0: 300 bytes\nrecord 2 at byte 300: 5 bytes\n"
         "2 records, 305 bytes, for a K47 module\n",
         ""},
        {"BinaryRecordTooLong", UploadProcedure::Binary, test::Record(5) + test::Record(1024), 4,
         "record 1 at byte 0: 5 bytes\n",
         "record 2 at byte 5: length 1024, more than the 1023 bytes a block takes"},
    };
    ScratchDirectory directory;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UpdateOptions options;
        options.procedure = c.procedure;
        options.filePath = directory.Write("set.prm", c.content);
        std::ostringstream out;
        std::ostringstream err;
        Console console{out, err, false};
        EXPECT_EQ(RunCheckCommand(options, console), c.status);
        EXPECT_EQ(out.str(), c.out);
        EXPECT_EQ(err.str(),
                  c.err.empty() ? "" : "corvane-update: " + options.filePath + ": " + c.err + "\n");
    }
    UpdateOptions missing;
    missing.filePath = directory.PathOf("missing.prm");
    std::ostringstream out;
    Console console{out, out, false};
    EXPECT_EQ(RunCheckCommand(missing, console), 3);
    EXPECT_EQ(out.str(), "corvane-update: " + missing.filePath + ": no such file\n");
}

}  // namespace
}  // namespace corvane::cli
