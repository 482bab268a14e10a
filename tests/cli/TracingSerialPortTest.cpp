#include "cli/TracingSerialPort.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/EscapedBytes.h"
#include "tests/support/EventLog.h"
#include "tests/support/FakeSerialPort.h"
#include "tests/support/VirtualClock.h"

namespace corvane::cli {
namespace {

using ::testing::ElementsAre;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        lines.push_back(line);
    }
    return lines;
}

TEST(EscapedBytesTest, ShowsEveryByteOnOneLine) {
    const std::vector<uint8_t> bytes = {'A',  'T',  '\r', '\n', '\t', '\\',
                                        0x1A, 0x00, 0x7F, 0xFF, ' ',  '~'};
    EXPECT_EQ(EscapedBytes(bytes), "AT\\r\\n\\t\\\\\\x1A\\x00\\x7F\\xFF ~");
    EXPECT_EQ(EscapedBytes({}), "");
}

class TracingSerialPortTest : public ::testing::Test {
  protected:
    test::VirtualClock clock{4000000000u};  // the tick count wraps during the test
    test::EventLog log{&clock};
    test::FakeSerialPort fake{clock, log};
    std::ostringstream trace;
};

TEST_F(TracingSerialPortTest, TellsTheDialogueWithTimesAndGroupsReadBursts) {
    {
        TracingSerialPort port(fake, clock, trace);
        ASSERT_TRUE(port.Open("/dev/ttyX"));
        platform::LineSettings settings;
        settings.BaudRate = 115200;
        EXPECT_TRUE(port.SetCommState(settings));
        EXPECT_TRUE(port.SetCommState(settings));  // same rate: nothing new to tell
        EXPECT_TRUE(port.EscapeCommFunction(platform::EscapeFunction::CLRDTR));
        clock.Advance(100);
        EXPECT_TRUE(port.EscapeCommFunction(platform::EscapeFunction::SETDTR));

        const uint8_t command[] = {'A', 'T', '\r'};
        uint32_t written = 0;
        EXPECT_TRUE(port.WriteFile(command, 3, written));
        EXPECT_EQ(written, 3u);
        fake.Deliver("AT\r\r\nOK\r\n", 7);
        uint8_t byte = 0;
        uint32_t read = 0;
        std::string received;
        while (port.ReadFile(byte, read) && read == 1) {
            received += static_cast<char>(byte);
        }
        EXPECT_EQ(received, "AT\r\r\nOK\r\n") << "bytes pass unchanged";
        EXPECT_TRUE(port.ReadFile(byte, read));  // more silence: no new line
        fake.Deliver("late");
        for (int i = 0; i < 2; ++i) {
            EXPECT_TRUE(port.ReadFile(byte, read));
        }
        settings.BaudRate = 57600;
        EXPECT_TRUE(port.SetCommState(settings));  // ends the burst of "la"
        port.Close();
    }
    EXPECT_THAT(Lines(trace.str()),
                ElementsAre("[      0 ms] open /dev/ttyX", "[      0 ms] rate 115200",
                            "[      0 ms] DTR low", "[    100 ms] DTR high", "[    100 ms] > AT\\r",
                            "[    107 ms] < AT\\r\\r\\nOK\\r\\n", "[    147 ms] < la",
                            "[    147 ms] rate 57600", "[    147 ms] close"));
}

TEST_F(TracingSerialPortTest, ReportsFailuresOnceAndFlushesOnDestruction) {
    {
        TracingSerialPort port(fake, clock, trace);
        fake.FailOpen();
        EXPECT_FALSE(port.Open("/dev/none"));
        fake.FailOpen(false);
        ASSERT_TRUE(port.Open("/dev/ttyX"));
        fake.RefuseRate(12345);
        platform::LineSettings settings;
        settings.BaudRate = 12345;
        EXPECT_FALSE(port.SetCommState(settings));

        fake.FailWrites();
        const uint8_t command[] = {'A', 'T', '\r'};
        uint32_t written = 0;
        EXPECT_FALSE(port.WriteFile(command, 3, written));

        fake.FailReads();
        uint8_t byte = 0;
        uint32_t read = 0;
        for (int i = 0; i < 5; ++i) {
            EXPECT_FALSE(port.ReadFile(byte, read));
        }
        fake.FailReads(false);
        fake.Deliver("OK");
        EXPECT_TRUE(port.ReadFile(byte, read));
    }
    const std::vector<std::string> lines = Lines(trace.str());
    ASSERT_EQ(lines.size(), 6u) << trace.str();
    EXPECT_EQ(lines[0], "[      0 ms] cannot open /dev/none");
    EXPECT_EQ(lines[2], "[      0 ms] rate 12345 refused");
    EXPECT_THAT(lines[3], ::testing::EndsWith(" written, failed)"));
    EXPECT_EQ(lines[4].substr(13), "read failed");
    EXPECT_EQ(lines[5].substr(13), "< O") << "a burst left at the end is still told";
}

TEST_F(TracingSerialPortTest, SplitsAnEndlessBurstIntoPieces) {
    {
        TracingSerialPort port(fake, clock, trace);
        ASSERT_TRUE(port.Open("/dev/ttyX"));
        fake.Deliver(std::string(5000, 'x'));
        uint8_t byte = 0;
        uint32_t read = 0;
        while (port.ReadFile(byte, read) && read == 1) {
        }
    }
    const std::vector<std::string> lines = Lines(trace.str());
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1].size(), 13 + 2 + 2048u);
    EXPECT_EQ(lines[2].size(), 13 + 2 + 2048u);
    EXPECT_EQ(lines[3].size(), 13 + 2 + 5000 - 2 * 2048u);
}

}  // namespace
}  // namespace corvane::cli
