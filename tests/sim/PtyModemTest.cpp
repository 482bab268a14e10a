#include "sim/PtyModem.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/posix/PosixSerialPort.h"
#include "platform/posix/SystemClock.h"

namespace corvane::sim {
namespace {

using platform::posix::MonotonicMilliseconds;

// The program's end of the line.
struct ProgramPort {
    bool Open(const std::string& path, uint32_t rate) { return port.Open(path, rate); }

    // Writes bytes and collects the answer until 100 ms of silence.
    std::string Exchange(const std::string& bytes) {
        port.Write({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
        std::string answer;
        for (uint64_t quietSince = MonotonicMilliseconds();
             MonotonicMilliseconds() - quietSince < 100;) {
            if (const std::optional<uint8_t> byte = port.ReadByte()) {
                answer.push_back(static_cast<char>(*byte));
                quietSince = MonotonicMilliseconds();
            }
        }
        return answer;
    }

    platform::posix::PosixSerialPort port;
};

TEST(PtyModem, AnswersAtItsRateAfterItsLatencyAcrossReopenedPorts) {
    PtyModem modem({.family = Family::K31, .rate = 57600, .latencyMs = 60});
    std::string error;
    ASSERT_TRUE(modem.Start(error)) << error;

    ProgramPort program;
    ASSERT_TRUE(program.Open(modem.DevicePath(), 115200));
    EXPECT_EQ(program.Exchange("AT\r"), "");
    program.port.Close();

    ASSERT_TRUE(program.Open(modem.DevicePath(), 57600));
    const uint64_t before = MonotonicMilliseconds();
    EXPECT_EQ(program.Exchange("AT\r"), "AT\r\r\nOK\r\n");
    const uint64_t took = MonotonicMilliseconds() - before - 100;  // less the closing silence
    EXPECT_GE(took, 60u);
    EXPECT_LT(took, 200u);
    modem.Stop();

    const std::vector<TranscriptEntry> transcript = modem.Transcript();
    ASSERT_EQ(transcript.size(), 2u);
    EXPECT_EQ(transcript[0].rate, 115200u);
    EXPECT_EQ(transcript[1].rate, 57600u);
    EXPECT_EQ(modem.Commands(), std::vector<std::string>{"AT"});
}

TEST(PtyModem, HangsUpOnlyAfterTheProgramHasReadTheConfirmation) {
    PtyModem modem({.family = Family::K47, .echo = false, .faults = {.hangUpAfterBlocks = 1}});
    std::string error;
    ASSERT_TRUE(modem.Start(error)) << error;
    ProgramPort program;
    ASSERT_TRUE(program.Open(modem.DevicePath(), 115200));
    EXPECT_EQ(program.Exchange("AT^QBNW=aud,0\r"), "\r\nCONNECT\r\n");
    EXPECT_EQ(program.Exchange(std::string("\x00\x04hi", 4)), "\r\nOK\r\n");

    EXPECT_EQ(program.port.ReadByte(), std::nullopt) << "the line is gone";
    EXPECT_TRUE(modem.HungUp());
}

TEST(PtyModem, EndlessAnswerNeverLeavesTheLineQuietAndOutlastsAPurge) {
    PtyModem modem({.family = Family::K47, .faults = {.answer = Answer::Endless}});
    std::string error;
    ASSERT_TRUE(modem.Start(error)) << error;
    ProgramPort program;
    ASSERT_TRUE(program.Open(modem.DevicePath(), 115200));
    program.port.Write({reinterpret_cast<const uint8_t*>("AT\r"), 3});

    // Far more than the pseudo-terminal buffers, each read within its 20 ms time-out.
    for (const int round : {1, 2}) {
        std::string received;
        while (received.size() < 20000) {
            const std::optional<uint8_t> byte = program.port.ReadByte();
            ASSERT_TRUE(byte) << "a quiet read after " << received.size() << " bytes, round "
                              << round;
            received.push_back(static_cast<char>(*byte));
        }
        EXPECT_EQ(received.find_first_of("0O>"), std::string::npos);
        program.port.Purge();
    }
}

}  // namespace
}  // namespace corvane::sim
