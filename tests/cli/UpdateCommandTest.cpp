#include "cli/UpdateCommand.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "cli/ResultText.h"
#include "tests/cli/ScratchDirectory.h"
#include "tests/support/FakePlatform.h"
#include "tests/support/ScriptedModule.h"

namespace corvane::cli {
namespace {

using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::StartsWith;

constexpr const char* Warning = "Registry key not present. Is the RIL properly installed?";

const std::string RilExport =
    "Windows Registry Editor Version 5.00\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\RIL]\r\n"
    "\"DataPortInternal\"=\"/dev/ttyRIL\"\r\n"
    "\"BaudRate\"=dword:0000e100\r\n";

TEST(ResolveConnectionTest, OptionsFirstThenTheRegistryThenTheDefaults) {
    ScratchDirectory directory;
    const std::string ril = directory.Write("ril.reg", RilExport);
    const std::string portOnly = directory.Write(
        "port.reg",
        "REGEDIT4\n[HKLM\\Drivers\\BuiltIn\\Multiplexer]\n\"ParentPort\"=\"/dev/mux\"\n");
    const std::string broken = directory.Write("broken.reg", "REGEDIT4\n[HKLM\\X\n");
    const std::string missing = directory.PathOf("missing.reg");

    struct Case {
        const char* what;
        std::optional<std::string> port;
        std::optional<uint32_t> baudRate;
        std::string registry;
        std::string expectedPort;
        uint32_t expectedRate;
        std::vector<std::string> said;  // what err holds, in order; empty: nothing
    };
    const std::vector<Case> cases = {
        {"both given: the registry is not read", "/dev/a", 9600, missing, "/dev/a", 9600, {}},
        {"rate from the registry", "/dev/a", std::nullopt, ril, "/dev/a", 57600, {}},
        {"port from the registry", std::nullopt, 19200, ril, "/dev/ttyRIL", 19200, {}},
        {"both from the registry", std::nullopt, std::nullopt, ril, "/dev/ttyRIL", 57600, {}},
        {"port without rate: warned, default rate",
         std::nullopt,
         std::nullopt,
         portOnly,
         "/dev/mux",
         115200,
         {Warning}},
        {"missing file: warned",
         std::nullopt,
         std::nullopt,
         missing,
         "",
         115200,
         {missing + ": No such file or directory", Warning}},
        {"broken file: warned",
         std::nullopt,
         38400,
         broken,
         "",
         38400,
         {broken + ": line 2: a key line must end with ']'", Warning}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        UpdateOptions options;
        options.port = c.port;
        options.baudRate = c.baudRate;
        options.registryFile = c.registry;
        std::ostringstream err;
        const Connection connection = ResolveConnection(options, err);
        EXPECT_EQ(connection.port, c.expectedPort);
        EXPECT_EQ(connection.baudRate, c.expectedRate);
        std::string expected;
        for (const std::string& line : c.said) {
            expected += "corvane-update: " + line + "\n";
        }
        EXPECT_EQ(err.str(), expected);
    }
}

// Whole runs of the command against a scripted module on virtual time.
class UpdateCommandTest : public ::testing::Test {
  protected:
    int Run(const std::string& content, bool terminal = false) {
        options.filePath = directory.Write("set.prm", content);
        return RunMissingFile(terminal);
    }
    int RunMissingFile(bool terminal = false) {
        Console console{out, err, terminal};
        return RunUpdateCommand(options, fake.platform, console);
    }

    ScratchDirectory directory;
    test::FakePlatform fake;
    test::ScriptedModule module{fake.port};
    UpdateOptions options = [] {
        UpdateOptions o;
        o.port = "/dev/ttyS1";
        o.baudRate = 115200;
        return o;
    }();
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(UpdateCommandTest, TextFileReachesTheModuleAndSuccessIsPrinted) {
    EXPECT_EQ(Run("Lines: 3\r\nA1 B2\r\n\r\nC3\r\nD4\r\n"), 0);
    EXPECT_THAT(module.blocks, ElementsAre("A1 B2C3", "D4"));
    EXPECT_THAT(module.commands, ::testing::Contains("AT^QBNW=aud,0,2,2\r"));
    EXPECT_EQ(out.str(), "Audio Parameter Update successfull\n");
    EXPECT_EQ(err.str(), "") << "no bar where stderr is no terminal";
}

TEST_F(UpdateCommandTest, BinaryFamilyAndSetNameAreHandedOn) {
    module.family = test::ScriptedModule::Family::Binary;
    options.family = "47";
    options.setName = "bat";
    const std::string records("\x00\x05xyz\x00\x04pq", 9);
    EXPECT_EQ(Run(records), 0);
    EXPECT_THAT(module.blocks,
                ElementsAre(std::string("\x00\x05xyz", 5), std::string("\x00\x04pq", 4)));
    EXPECT_THAT(module.commands, ::testing::Contains("AT^QBNW=bat,0\r"));
    EXPECT_EQ(out.str(), "Audio Parameter Update successfull\n");
}

TEST_F(UpdateCommandTest, FailureIsPrintedOnStderrWithTerminalLineEnds) {
    module.family = test::ScriptedModule::Family::Binary;  // text file, binary module
    EXPECT_EQ(Run("Lines: 2\nA\nB\n"), 4);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(),
              "Audio Parameter Update failed!\nError code: 4\n"
              "Not a valid audio parameter file.\n");
}

TEST_F(UpdateCommandTest, MissingFileFailsBeforeThePortIsTouched) {
    options.filePath = directory.PathOf("absent.prm");
    EXPECT_EQ(RunMissingFile(), 3);
    EXPECT_TRUE(fake.log.Events().empty());
    EXPECT_EQ(err.str(), ForTerminal(FailureText(3)));
}

TEST_F(UpdateCommandTest, ProgressBarOnlyOnATerminalAndNeverWithQuietOrTrace) {
    const std::string file = "Lines: 4\nA\nB\nC\nD\n";
    EXPECT_EQ(Run(file, true), 0);
    EXPECT_THAT(err.str(), StartsWith("\r[....."));
    EXPECT_THAT(err.str(), HasSubstr("]  50%\r["));
    EXPECT_THAT(err.str(), EndsWith("] 100%\n"));
    EXPECT_EQ(out.str(), "Audio Parameter Update successfull\n");

    err.str("");
    options.quiet = true;
    EXPECT_EQ(Run(file, true), 0);
    EXPECT_EQ(err.str(), "");

    err.str("");
    options.quiet = false;
    options.trace = true;
    EXPECT_EQ(Run(file, true), 0);
    EXPECT_THAT(err.str(), Not(HasSubstr("%")));
}

TEST_F(UpdateCommandTest, TraceTellsTheDialogue) {
    options.trace = true;
    EXPECT_EQ(Run("Lines: 1\nA\n"), 0);
    const std::string trace = err.str();
    EXPECT_THAT(trace, HasSubstr(" ms] open /dev/ttyS1\n"));
    EXPECT_THAT(trace, HasSubstr(" ms] > AT^QBNW=aud,0,1,1\\r\n"));
    EXPECT_THAT(trace, HasSubstr(" ms] < AT^QBNW=aud,0,1,1\\r\\r\\n> \n"));
    EXPECT_THAT(trace, HasSubstr(" ms] > A\\x1A\n"));
    EXPECT_THAT(trace, HasSubstr(" ms] > AT^QMSO\\r\n"));
    EXPECT_THAT(trace, EndsWith(" ms] close\n"));
    EXPECT_EQ(out.str(), "Audio Parameter Update successfull\n");
}

}  // namespace
}  // namespace corvane::cli
