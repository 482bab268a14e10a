// The link in real time over a pseudo-terminal against the virtual module.

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "link/ModuleLink.h"
#include "tests/e2e/PtyRig.h"

namespace corvane {
namespace {

using sim::Family;
using test::PtyRig;

constexpr uint32_t Configured = 115200;

// The port is opened and closed around each test, as an upload does.
class OpenLink {
  public:
    explicit OpenLink(PtyRig& rig) : link(rig.platform) {
        EXPECT_TRUE(link.Open(rig.DevicePath(), Configured));
    }
    ~OpenLink() { link.Close(); }
    ModuleLink* operator->() { return &link; }
    ModuleLink link;
};

TEST(LinkOverPty, BaudRateSearchFindsAModuleThatAnswersOnlyAt57600) {
    PtyRig rig({.family = Family::K31, .rate = 57600});
    ASSERT_TRUE(rig.Start());
    OpenLink link(rig);
    EXPECT_EQ(link->DetectBaudRate(Configured), 57600u);

    // Probes at 115200 and 230400 go unheard, 57600 answers, 115200 is tried once more.
    std::vector<uint32_t> probeRates;
    for (const sim::TranscriptEntry& entry : rig.modem.Transcript()) {
        probeRates.push_back(entry.rate);
    }
    EXPECT_EQ(probeRates, (std::vector<uint32_t>{115200, 230400, 57600, 115200}));

    std::array<char, ReplyBufferSize> reply{};
    EXPECT_TRUE(link->SendCommand("AT\r", reply, ReplyBufferSize));
    EXPECT_STREQ(reply.data(), "\r\nOK\r\n");
}

TEST(LinkOverPty, EchoIsSkippedWhateverTheResultStyle) {
    const struct {
        bool echo, numeric;
        const char* reply;
    } cases[] = {
        {true, false, "\r\nOK\r\n"},
        {false, false, "\r\nOK\r\n"},
        {true, true, "0\r"},
    };
    for (const auto& c : cases) {
        PtyRig rig({.family = Family::K47, .echo = c.echo, .numeric = c.numeric});
        ASSERT_TRUE(rig.Start());
        OpenLink link(rig);
        std::array<char, ReplyBufferSize> reply{};
        EXPECT_TRUE(link->SendCommand("AT^QMSO\r", reply, ReplyBufferSize));
        EXPECT_STREQ(reply.data(), c.reply) << "echo " << c.echo << ", numeric " << c.numeric;
    }
}

TEST(LinkOverPty, TextBlockGoesThrough) {
    PtyRig rig({.family = Family::K31, .latencyMs = 30});
    ASSERT_TRUE(rig.Start());
    OpenLink link(rig);
    std::array<uint8_t, 1024> text{};
    const char lines[] = "0,12,-3;AT is data here";
    std::memcpy(text.data(), lines, sizeof lines);
    std::array<char, ReplyBufferSize> reply{};

    EXPECT_EQ(link->SendBlock("AT^QBNW=aud,0,1,1\r", text, 0, reply, ReplyBufferSize),
              BlockResult::Confirmed);
    EXPECT_EQ(text[sizeof lines - 1], 26) << "Ctrl-Z in the terminator's place";
    EXPECT_EQ(rig.modem.StoredSet(), std::vector<std::string>{lines});
}

TEST(LinkOverPty, BinaryBlockGoesThrough) {
    PtyRig rig({.family = Family::K47});
    ASSERT_TRUE(rig.Start());
    OpenLink link(rig);
    // The largest record the link sends, holding every byte value, markers and Ctrl-Z included.
    std::array<uint8_t, 1023> record{};
    for (size_t i = 0; i < record.size(); ++i) {
        record[i] = static_cast<uint8_t>(i * 7);
    }
    record[0] = 0x03;
    record[1] = 0xff;
    std::array<char, ReplyBufferSize> reply{};

    EXPECT_TRUE(link->SendCommand("AT^QNFS=3\r", reply, ReplyBufferSize));
    EXPECT_EQ(link->SendBlock("AT^QBNW=aud,0\r", record, record.size(), reply, ReplyBufferSize),
              BlockResult::Confirmed);
    const std::vector<std::string> stored = rig.modem.StoredSet();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0], std::string(record.begin(), record.end()));
}

TEST(LinkOverPty, SilentLineTimesOutAfterFiveSeconds) {
    PtyRig rig({.family = Family::K31, .faults = {.silent = true}});
    ASSERT_TRUE(rig.Start());
    OpenLink link(rig);
    std::array<char, ReplyBufferSize> reply{};
    reply[0] = 'x';
    const uint32_t before = rig.clock.TickCount();
    EXPECT_FALSE(link->SendCommand("AT\r", reply, ReplyBufferSize));
    const uint32_t took = rig.clock.TickCount() - before;
    EXPECT_EQ(reply[0], '\0');
    EXPECT_GE(took, 5000u);
    EXPECT_LT(took, 5500u);
}

}  // namespace
}  // namespace corvane
