#include "cli/TracingSerialPort.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/EscapedBytes.h"
#include "tests/support/EventLog.h"
#include "tests/support/FakeSerialPort.h"
#include "tests/support/VirtualClock.h"

namespace corvane::cli {
namespace {

using ::testing::ElementsAre;

TEST(EscapedBytesTest, ShowsEveryByteOnOneLine) {
    const std::vector<uint8_t> bytes = {'A',  '\r', '\n', '\t', '\\', 0x1A,
                                        0x00, 0x7F, 0xFF, ' ',  '~'};
    EXPECT_EQ(EscapedBytes(bytes), "A\\r\\n\\t\\\\\\x1A\\x00\\x7F\\xFF ~");
}

// Names from outside keep their letters in any script, and lose every way to steer a terminal.
TEST(EscapedBytesTest, TextKeepsPrintableUtf8AndEscapesControlsAndBrokenBytes) {
    const std::pair<std::string, std::string> rows[] = {
        {"J\xC3\xBCrgen \xE6\x97\xA5\xF0\x9F\x93\xBB.prm",
         "J\xC3\xBCrgen \xE6\x97\xA5\xF0\x9F\x93\xBB.prm"},
        {"\x1B]0;OWNED\x07\x1B[2J", "\\x1B]0;OWNED\\x07\\x1B[2J"},
        {"C:\\a\r\n\t\x7F", "C:\\a\\r\\n\\t\\x7F"},
        // C1 CSI as UTF-8, then the same control as a raw byte
        {"\xC2\x9B"
         "2J\x9B",
         "\\xC2\\x9B"
         "2J\\x9B"},
        // no-break space kept; a truncated sequence, an overlong slash and a surrogate escaped
        {"\xC2\xA0|\xC3|\xC0\xAF|\xED\xA0\x80", "\xC2\xA0|\\xC3|\\xC0\\xAF|\\xED\\xA0\\x80"},
    };
    for (const auto& [text, shown] : rows) {
        EXPECT_EQ(EscapedText(text), shown);
    }
}

class TracingSerialPortTest : public ::testing::Test {
  protected:
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        std::istringstream stream(trace.str());
        for (std::string line; std::getline(stream, line);) {
            lines.push_back(line);
        }
        return lines;
    }
    // Reads until the line falls silent; returns what came.
    std::string ReadAll() {
        std::string received;
        while (const std::optional<uint8_t> byte = port.ReadByte()) {
            received += static_cast<char>(*byte);
        }
        return received;
    }
    size_t Write(const char* text) {
        return port.Write({reinterpret_cast<const uint8_t*>(text), std::strlen(text)});
    }

    test::VirtualClock clock{4294967000u};  // the tick count wraps during the test
    test::EventLog log{&clock};
    test::FakeSerialPort fake{clock, log};
    std::ostringstream trace;
    TracingSerialPort port{fake, clock, trace};
};

TEST_F(TracingSerialPortTest, TellsTheDialogueWithTimesAndOneLinePerBurst) {
    fake.FailOpen();
    EXPECT_FALSE(port.Open("/dev/none", 115200));
    fake.FailOpen(false);
    ASSERT_TRUE(port.Open("/dev/ttyX", 115200));
    port.SetRate(115200);  // the same rate again: nothing new to tell
    fake.RefuseRate(7);
    port.SetRate(7);
    port.SetRts(true);
    port.SetDtr(false);
    clock.Advance(100);
    port.SetDtr(true);
    EXPECT_EQ(Write("AT\r"), 3u);
    fake.Deliver("AT\r\r\nOK\r\n", 7);
    EXPECT_EQ(ReadAll(), "AT\r\r\nOK\r\n") << "bytes pass unchanged";
    EXPECT_EQ(ReadAll(), "");  // more silence: no line
    fake.FailWrites();
    EXPECT_EQ(Write("AT\r"), 0u);
    fake.FailWrites(false);
    fake.Deliver("late");
    port.ReadByte();
    port.SetRate(57600);  // ends the burst
    port.Close();

    EXPECT_THAT(Lines(), ElementsAre("[      0 ms] cannot open /dev/none",
                                     "[      0 ms] open /dev/ttyX", "[      0 ms] rate 115200",
                                     "[      0 ms] rate 7 refused", "[      0 ms] RTS high",
                                     "[      0 ms] DTR low", "[    100 ms] DTR high",
                                     "[    100 ms] > AT\\r", "[    107 ms] < AT\\r\\r\\nOK\\r\\n",
                                     "[    147 ms] >   (0 of 3 written)", "[    147 ms] < l",
                                     "[    147 ms] rate 57600", "[    147 ms] close"));
}

TEST_F(TracingSerialPortTest, SplitsAnEndlessBurstAndTellsTheRestAtTheEnd) {
    {
        TracingSerialPort reader(fake, clock, trace);
        ASSERT_TRUE(reader.Open("/dev/ttyX", 115200));
        fake.Deliver(std::string(5000, 'x'));
        for (int i = 0; i < 5000; ++i) {
            reader.ReadByte();
        }
    }
    const std::vector<std::string> lines = Lines();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[2], "[      0 ms] < " + std::string(2048, 'x'));
    EXPECT_EQ(lines[3], lines[2]);
    EXPECT_EQ(lines[4], "[      0 ms] < " + std::string(5000 - 2 * 2048, 'x'));
}

}  // namespace
}  // namespace corvane::cli
