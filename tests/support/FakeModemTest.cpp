#include "tests/support/FakeModem.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/FakePlatform.h"

namespace corvane::test {
namespace {

const std::string Ok = "\r\nOK\r\n";

class FakeModemTest : public testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(fake.port.Open("COM1:", 115200)); }
    void TearDown() override { fake.port.Close(); }

    size_t Write(const std::string& text) {
        return fake.port.Write(
            std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
    }
    // What arrives until a read brings nothing.
    std::string Read() {
        std::string bytes;
        while (const std::optional<uint8_t> byte = fake.port.ReadByte()) {
            bytes.push_back(static_cast<char>(*byte));
        }
        return bytes;
    }

    FakePlatform fake;
};

TEST_F(FakeModemTest, TheModelHearsAtThePortsRateAndAnswersAfterItsLatency) {
    FakeModem modem(fake.port, {.rate = 57600, .latencyMs = 30});
    fake.clock.Advance(7);
    Write("AT\r");
    EXPECT_EQ(fake.port.PendingBytes(), 0u) << "garbage to a module at another rate";

    fake.port.SetRate(57600);
    Write("AT\r");
    const uint64_t written = fake.clock.Elapsed();
    EXPECT_EQ(Read(), "AT\r") << "the echo at once, the answer not yet";
    EXPECT_EQ(Read(), Ok);
    EXPECT_EQ(fake.clock.Elapsed(), written + 30 + FakeSerialPort::LongestEmptyReadMs);

    const std::vector<sim::TranscriptEntry>& heard = modem.Model().Transcript();
    ASSERT_EQ(heard.size(), 2u);
    EXPECT_EQ(heard[0].rate, 115200u);
    EXPECT_EQ(heard[0].timeMs, 7u);
    EXPECT_EQ(heard[1].rate, 57600u);
}

TEST_F(FakeModemTest, AHangUpDropsTheLineBehindTheAnswer) {
    FakeModem modem(fake.port, {.echo = false, .faults = {.hangUpAfterCommands = 1}});
    EXPECT_EQ(Write("AT\r"), 3u);
    EXPECT_EQ(Read(), Ok);
    EXPECT_EQ(Write("AT\r"), 0u);
    EXPECT_EQ(Read(), "");
    EXPECT_EQ(modem.Model().Transcript().size(), 1u) << "nothing reaches the module any more";
}

}  // namespace
}  // namespace corvane::test
