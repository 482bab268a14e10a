#include "cli/CommandLine.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace corvane::cli {
namespace {

using ::testing::HasSubstr;

CommandLine Parse(std::vector<std::string> arguments, const Environment& environment) {
    arguments.insert(arguments.begin(), "corvane-update");
    std::vector<const char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(argument.c_str());
    }
    return ParseCommandLine(static_cast<int>(argv.size()), argv.data(), environment);
}

CommandLine Parse(std::vector<std::string> arguments, const char* registry = nullptr) {
    return Parse(std::move(arguments), Environment{.registry = registry});
}

TEST(CommandLineTest, DefaultsWithOnlyAFile) {
    const CommandLine line = Parse({"set.prm"});
    ASSERT_TRUE(line.options);
    EXPECT_EQ(line.options->filePath, "set.prm");
    EXPECT_EQ(line.options->procedure, UploadProcedure::Text);
    EXPECT_EQ(line.options->setName, "aud");
    EXPECT_EQ(line.options->registryFile, "") << "the system's own";
    EXPECT_FALSE(line.options->port || line.options->baudRate);
    EXPECT_FALSE(line.options->trace || line.options->quiet || line.options->check);
    EXPECT_EQ(line.output + line.diagnostics, "");

    const CommandLine fromEnvironment = Parse({"x"}, "/opt/dev.reg");
    EXPECT_EQ(fromEnvironment.options->registryFile, "/opt/dev.reg");
    EXPECT_FALSE(fromEnvironment.options->registryRequired);
    const CommandLine named = Parse({"-r", "my.reg", "x"}, "/opt/dev.reg");
    EXPECT_EQ(named.options->registryFile, "my.reg");
    EXPECT_TRUE(named.options->registryRequired);

    const CommandLine list = Parse({"--list-ports", "-r", "my.reg"});
    ASSERT_TRUE(list.options) << "no FILE for a listing";
    EXPECT_TRUE(list.options->listPorts && !line.options->listPorts);
    EXPECT_EQ(list.options->registryFile, "my.reg") << "whose port is marked";
}

TEST(CommandLineTest, EveryOptionInLongAndShortForm) {
    for (const auto& form : std::vector<std::vector<std::string>>{
             {"--family", "47", "--port", "/dev/ttyUSB0", "--baud", "57600", "--registry", "d.reg",
              "--set-name", "bat", "--trace", "--quiet", "--check", "b.prm"},
             {"b.prm", "-f", "47", "-p", "/dev/ttyUSB0", "-b", "57600", "-r", "d.reg", "-s", "bat",
              "--trace", "-q", "--check"}}) {
        const CommandLine line = Parse(form);
        ASSERT_TRUE(line.options) << line.diagnostics;
        EXPECT_EQ(line.options->procedure, UploadProcedure::Binary);
        EXPECT_EQ(line.options->port, "/dev/ttyUSB0");
        EXPECT_EQ(line.options->baudRate, 57600u);
        EXPECT_EQ(line.options->registryFile, "d.reg");
        EXPECT_EQ(line.options->setName, "bat");
        EXPECT_TRUE(line.options->trace && line.options->quiet && line.options->check);
        EXPECT_EQ(line.options->filePath, "b.prm");
    }
}

TEST(CommandLineTest, ValuesAtTheEdgesOfWhatIsAccepted) {
    EXPECT_EQ(Parse({"-b", "1", "x"}).options->baudRate, 1u);
    EXPECT_EQ(Parse({"-b", "4294967295", "x"}).options->baudRate, 4294967295u);
    EXPECT_EQ(Parse({"-b", "0115200", "x"}).options->baudRate, 115200u) << "decimal, not octal";
    // Model codes with or without their letter, mapped as the window maps its family text.
    const std::pair<const char*, UploadProcedure> codes[] = {
        {"316", UploadProcedure::Text},  {"K31", UploadProcedure::Text},
        {"k39", UploadProcedure::Text},  {"K47", UploadProcedure::Binary},
        {"40", UploadProcedure::Binary}, {"3160", UploadProcedure::Binary},
        {"1", UploadProcedure::Text}};
    for (const auto& [code, procedure] : codes) {
        const CommandLine line = Parse({"-f", code, "x"});
        ASSERT_TRUE(line.options) << code;
        EXPECT_EQ(line.options->procedure, procedure) << code;
    }
    EXPECT_EQ(Parse({"-p", "", "x"}).options->port, "") << "an empty port is still given";
    for (const std::string& name : {std::string(16, 'n'), std::string("~Set_2.x!'(")}) {
        EXPECT_EQ(Parse({"-s", name, "x"}).options->setName, name);
    }
}

TEST(CommandLineTest, SeveralPortsMakeALineAndOnePortDoesNot) {
    const CommandLine one = Parse({"-p", "a", "x"});
    EXPECT_FALSE(one.options->Line());
    const CommandLine two = Parse({"-p", "a", "-p", "b", "--record", "r.jsonl", "x"});
    ASSERT_TRUE(two.options) << two.diagnostics;
    EXPECT_EQ(two.options->ports, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(two.options->port, "a");
    EXPECT_EQ(two.options->filePath, "x") << "-p takes one device each time";
    EXPECT_EQ(two.options->recordFile, "r.jsonl");
    EXPECT_TRUE(two.options->Line());
    const CommandLine watch =
        Parse({"--watch", "--count", "5", "--match", "0403:6001", "--match", "serial:A", "x"});
    ASSERT_TRUE(watch.options) << watch.diagnostics;
    EXPECT_TRUE(watch.options->watch && watch.options->Line());
    EXPECT_EQ(watch.options->count, 5u);
    EXPECT_EQ(watch.options->matchRules, (std::vector<std::string>{"0403:6001", "serial:A"}));
    EXPECT_TRUE(Parse({"--all", "x"}).options->Line());
    EXPECT_EQ(Parse({"--list-ports", "--match", "*USB*"}).options->matchRules.size(), 1u)
        << "narrows the listing";
}

TEST(CommandLineTest, PortAndRateFromTheEnvironmentWhenTheOptionsDoNotGiveThem) {
    const Environment environment{.port = "/dev/ttyUSB3", .baud = "57600"};
    const CommandLine fromEnvironment = Parse({"x"}, environment);
    ASSERT_TRUE(fromEnvironment.options);
    EXPECT_EQ(fromEnvironment.options->port, "/dev/ttyUSB3");
    EXPECT_EQ(fromEnvironment.options->baudRate, 57600u);

    const CommandLine given = Parse({"-p", "/dev/ttyS0", "-b", "9600", "x"}, environment);
    EXPECT_EQ(given.options->port, "/dev/ttyS0");
    EXPECT_EQ(given.options->baudRate, 9600u);
    EXPECT_FALSE(Parse({"x"}, Environment{.port = "", .baud = ""}).options->port)
        << "set but empty counts as not set";

    const CommandLine bad = Parse({"x"}, Environment{.baud = "fast"});
    EXPECT_FALSE(bad.options);
    EXPECT_EQ(bad.exitStatus, UsageErrorStatus);
    EXPECT_THAT(bad.diagnostics, HasSubstr("CORVANE_BAUD: RATE must be a decimal number"));
}

TEST(CommandLineTest, UsageErrorsExitWith64AndSayWhy) {
    const std::vector<std::pair<std::vector<std::string>, const char*>> cases = {
        {{}, "FILE is required"},
        {{"--frobnicate", "x.prm"}, "--frobnicate"},
        {{"--list-ports", "x.prm"}, "--list-ports excludes FILE"},
        {{"--list-ports", "--check"}, "--check excludes --list-ports"},
        {{"a.prm", "b.prm"}, "b.prm"},
        {{"-p"}, "-p"},
        {{"-b", "fast", "x"}, "RATE must be a decimal number"},
        {{"-b", "0", "x"}, "RATE must be a decimal number"},
        {{"-b", "0x1c200", "x"}, "RATE must be a decimal number"},
        {{"-b", "4294967296", "x"}, "RATE must be a decimal number"},
        {{"-f", "KK47", "x"}, "CODE must be a module model code"},
        {{"-f", "", "x"}, "CODE must be a module model code"},
        {{"-f", "K", "x"}, "CODE must be a module model code"},
        {{"-f", "0", "x"}, "CODE must be a module model code"},
        {{"-f", "-5", "x"}, "CODE must be a module model code"},
        {{"-f", " 47b", "x"}, "CODE must be a module model code"},
        {{"-f", "99999999999", "x"}, "CODE must be a module model code"},
        {{"-s", "", "x"}, "NAME must have 1 to 16 characters"},
        {{"-s", std::string(17, 'n'), "x"}, "NAME must have 1 to 16 characters"},
        {{"-s", "au\rd", "x"}, "NAME must be printable ASCII"},
        {{"-s", "a,b", "x"}, "NAME must be printable ASCII"},
        {{"-s", "a;b", "x"}, "NAME must be printable ASCII"},
        {{"-s", "a\"b", "x"}, "NAME must be printable ASCII"},
        {{"-s", "a b", "x"}, "NAME must be printable ASCII"},
        {{"-s", "a\x1A", "x"}, "NAME must be printable ASCII"},
        {{"-s", "\xC3\xA4", "x"}, "NAME must be printable ASCII"},
        {{"--count", "3", "x"}, "--count requires --watch"},
        {{"--watch", "--count", "0", "x"}, "--count"},
        {{"--trace", "--all", "x"}, "--trace: follows one port"},
        {{"--trace", "-p", "a", "-p", "b", "x"}, "--trace: follows one port"},
        {{"--list-ports", "--watch"}, "--watch excludes --list-ports"},
    };
    for (const auto& [arguments, says] : cases) {
        SCOPED_TRACE(::testing::PrintToString(arguments));
        const CommandLine line = Parse(arguments);
        EXPECT_FALSE(line.options);
        EXPECT_EQ(line.exitStatus, UsageErrorStatus);
        EXPECT_THAT(line.diagnostics, HasSubstr(says));
        EXPECT_EQ(line.output, "");
    }
}

TEST(CommandLineTest, HelpAndVersionExitWithZeroOnStandardOutput) {
    for (const char* flag : {"-h", "--help", "-V", "--version"}) {
        const CommandLine line = Parse({flag});
        EXPECT_FALSE(line.options);
        EXPECT_EQ(line.exitStatus, 0);
        const bool help = flag[1] == 'h' || flag[2] == 'h';
        EXPECT_THAT(line.output, HasSubstr(help ? "64 for a usage error" : "corvane-update 2."));
    }
}

}  // namespace
}  // namespace corvane::cli
