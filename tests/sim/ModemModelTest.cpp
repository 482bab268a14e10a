#include "sim/ModemModel.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace corvane::sim {
namespace {

using namespace std::string_literals;
using Texts = std::vector<std::string>;

constexpr uint32_t Rate = 115200;
const std::string Ok = "\r\nOK\r\n";
const std::string Error = "\r\nERROR\r\n";
const std::string Prompt = "\r\n> ";

std::vector<ModemOutput> Outputs(ModemModel& modem, std::string_view bytes, uint32_t rate = Rate) {
    return modem.Receive({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()}, rate, 0);
}

// Feeds bytes as one chunk and returns all the module sends back.
std::string Feed(ModemModel& modem, std::string_view bytes, uint32_t rate = Rate) {
    std::string sent;
    for (const ModemOutput& output : Outputs(modem, bytes, rate)) {
        sent += output.bytes;
    }
    return sent;
}

ModemOptions Quiet(Family family, ModemFaults faults = {}) {
    return {.family = family, .echo = false, .faults = faults};
}

TEST(ModemModel, CommandLinesAreAnsweredInEachStyle) {
    for (const Family family : {Family::K31, Family::K47}) {
        for (const bool echo : {false, true}) {
            for (const bool numeric : {false, true}) {
                ModemModel modem({.family = family, .echo = echo, .numeric = numeric});
                const auto echoed = [&](const std::string& s) { return echo ? s : ""s; };
                const std::string ok = numeric ? "0\r" : Ok;
                EXPECT_EQ(Feed(modem, "AT\r"), echoed("AT\r") + ok);
                EXPECT_EQ(Feed(modem, "AT^QMSO\r"), echoed("AT^QMSO\r") + ok);
                EXPECT_EQ(Feed(modem, "ATI\r"), echoed("ATI\r") + (numeric ? "4\r" : Error));
                EXPECT_EQ(Feed(modem, "\xff\x00noise a"s), echoed("\xff\x00noise a"s));
                EXPECT_EQ(Feed(modem, "t\r"), echoed("t\r") + ok) << "noise before AT is ignored";
                EXPECT_EQ(modem.Commands(), (Texts{"AT", "AT^QMSO", "ATI", "AT"}));
            }
        }
    }
}

TEST(ModemModel, K31TextBlocksFormASetInOrder) {
    ModemModel modem({.family = Family::K31});
    EXPECT_EQ(Feed(modem, "AT^QBNW=aud,0,1,2\r"), "AT^QBNW=aud,0,1,2\r" + Prompt);
    EXPECT_EQ(Feed(modem, "one;two\x1a"), "one;two\x1a" + Ok) << "typed text is echoed";
    for (const char* wrong : {"AT^QBNW=aud,0,3,2\r", "AT^QBNW=aud,0,2,4\r", "AT^QBNW=bat,0,2,2\r",
                              "AT^QBNW=aud,0,x,2\r", "AT^QBNW=aud,1,2,2\r"}) {
        EXPECT_EQ(Feed(modem, wrong), wrong + Error);
    }
    Feed(modem, "AT^QBNW=aud,0,2,2\r");
    Feed(modem, "AT is text here\r\x1a");
    EXPECT_EQ(modem.StoredSet(), (Texts{"one;two", "AT is text here\r"}));
    EXPECT_EQ(Feed(modem, "AT^QBNW=aud,0,2,2\r"), "AT^QBNW=aud,0,2,2\r" + Error) << "set is full";

    Feed(modem, "AT^QBNW=aud,0,1,1\r");
    Feed(modem, "new\x1a");
    EXPECT_EQ(modem.StoredSet(), Texts{"new"}) << "block 1 starts a new set";
    for (const char* wrong : {"AT^QBNW=aud,0,0,3\r", "AT^QBNW=aud,0,4,3\r", "AT^QBNW=,0,1,3\r"}) {
        EXPECT_EQ(Feed(modem, wrong), wrong + Error);
    }
}

TEST(ModemModel, K31CancelDropsOnlyAnUnfinishedSet) {
    ModemModel modem(Quiet(Family::K31));
    Feed(modem, "AT^QBNW=aud,0,1,2\r");
    Feed(modem, "half\x1a");
    EXPECT_EQ(Feed(modem, "AT^QBNW=aud,0\r"), Ok);
    EXPECT_EQ(modem.StoredSet(), Texts{});

    Feed(modem, "AT^QBNW=aud,0,1,1\r");
    Feed(modem, "whole\x1a");
    EXPECT_EQ(Feed(modem, "AT^QBNW=aud,0\r"), Ok);
    EXPECT_EQ(modem.StoredSet(), Texts{"whole"});

    // Without its "\r" a cancel is no command yet: the next line runs into it.
    Feed(modem, "AT^QBNW=aud,0,1,2\r");
    Feed(modem, "half\x1a");
    EXPECT_EQ(Feed(modem, "AT^QBNW=aud,0AT^QMSO\r"), Error);
    EXPECT_EQ(modem.StoredSet(), Texts{"half"});
    EXPECT_EQ(Feed(modem, "AT^QNFS=3\r"), Error) << "a K47 command";
}

TEST(ModemModel, K47RecordsAreTakenByTheirLengthWithoutEcho) {
    ModemModel modem({.family = Family::K47});
    EXPECT_EQ(Feed(modem, "AT^QNFS=3\r"), "AT^QNFS=3\r" + Ok);
    EXPECT_EQ(Feed(modem, "AT^QBNW=aud,0\r"), "AT^QBNW=aud,0\r\r\nCONNECT\r\n");
    const std::string record = "\x00\x08\r\n\x1a\x00OK"s;
    for (size_t i = 0; i + 1 < record.size(); ++i) {
        EXPECT_EQ(Feed(modem, record.substr(i, 1)), "") << "byte " << i;
    }
    EXPECT_EQ(Feed(modem, record.substr(record.size() - 1)), Ok);

    Feed(modem, "AT^QNFS=1\r");
    Feed(modem, "AT^QBNW=aud,0\r");
    // A record and the next command in one chunk: the module is back in command mode at once.
    EXPECT_EQ(Feed(modem, "\x00\x03zAT\r"s), Ok + "AT\r" + Ok);
    EXPECT_EQ(modem.StoredSet(), (Texts{record, "\x00\x03z"s}));

    Feed(modem, "AT^QNFS=3\r");
    EXPECT_EQ(modem.StoredSet(), Texts{}) << "AT^QNFS=3 begins a new set";
    for (const std::string& tooShort : {"\x00\x00"s, "\x00\x02"s}) {
        Feed(modem, "AT^QBNW=aud,0\r");
        EXPECT_EQ(Feed(modem, tooShort + "AT\r"), Error + "AT\r" + Ok);
    }
    EXPECT_EQ(Feed(modem, "AT^QBNW=aud,0,1,3\r"), "AT^QBNW=aud,0,1,3\r" + Error) << "K31 command";
    EXPECT_EQ(modem.StoredSet(), Texts{});
}

TEST(ModemModel, BytesAtAnotherRateAreOnlyRecorded) {
    ModemModel modem({.family = Family::K31, .rate = 57600});
    EXPECT_EQ(Feed(modem, "AT\r", 115200), "");
    EXPECT_EQ(Feed(modem, "AT\r", 57600), "AT\r" + Ok);
    EXPECT_EQ(modem.Commands(), Texts{"AT"});
    ASSERT_EQ(modem.Transcript().size(), 2u);
    EXPECT_EQ(modem.Transcript()[0].rate, 115200u);
    EXPECT_EQ(modem.Transcript()[0].bytes, "AT\r");

    ModemModel any({.family = Family::K31, .echo = false, .rate = 0});
    EXPECT_EQ(Feed(any, "AT\r", 19200) + Feed(any, "AT\r", 250000), Ok + Ok);
}

TEST(ModemModel, RepliesWaitTheLatencyEchoDoesNot) {
    ModemModel modem({.family = Family::K31, .latencyMs = 300});
    const std::vector<ModemOutput> outputs = Outputs(modem, "AT\rAT\r");
    ASSERT_EQ(outputs.size(), 4u);
    for (size_t i = 0; i < outputs.size(); ++i) {
        EXPECT_EQ(outputs[i].bytes, i % 2 == 0 ? "AT\r" : Ok);
        EXPECT_EQ(outputs[i].delayMs, i % 2 == 0 ? 0u : 300u);
    }
}

TEST(ModemModel, FaultsInTheBlockDialogue) {
    ModemModel silent({.family = Family::K31, .faults = {.silent = true}});
    EXPECT_EQ(Feed(silent, "AT\r"), "");
    EXPECT_EQ(silent.Transcript().size(), 1u) << "a silent module still hears";

    ModemModel refusing31(Quiet(Family::K31, {.blockError = true}));
    ModemModel refusing47(Quiet(Family::K47, {.blockError = true}));
    EXPECT_EQ(Feed(refusing31, "AT^QBNW=aud,0,1,1\r") + Feed(refusing47, "AT^QBNW=aud,0\r"),
              Error + Error);

    // The other family's marker, but the module stays in command mode.
    ModemModel wrong31(Quiet(Family::K31, {.wrongMarker = true}));
    ModemModel wrong47(Quiet(Family::K47, {.wrongMarker = true}));
    EXPECT_EQ(Feed(wrong31, "AT^QBNW=aud,0,1,1\r"), "\r\nCONNECT\r\n");
    EXPECT_EQ(Feed(wrong47, "AT^QBNW=aud,0\r"), Prompt);
    EXPECT_EQ(Feed(wrong31, "AT\r"), Ok);
    EXPECT_EQ(Feed(wrong47, "AT\r"), Ok);

    ModemModel mute(Quiet(Family::K31, {.neverConfirm = true}));
    Feed(mute, "AT^QBNW=aud,0,1,1\r");
    EXPECT_EQ(Feed(mute, "text\x1a"), "");
    EXPECT_EQ(Feed(mute, "AT\r"), Ok);
    EXPECT_EQ(mute.StoredSet(), Texts{});

    ModemModel chatty(Quiet(Family::K31, {.longReply = 2500}));
    const std::string reply = Feed(chatty, "AT\r");
    EXPECT_EQ(reply, std::string(2500, '.') + Ok) << "the filler holds no 0 and no OK";

    ModemModel dropping(Quiet(Family::K47, {.hangUpAfterBlocks = 2}));
    for (int record = 1; record <= 2; ++record) {
        Feed(dropping, "AT^QBNW=aud,0\r");
        const std::vector<ModemOutput> outputs = Outputs(dropping, "\x00\x03r"s);
        ASSERT_FALSE(outputs.empty());
        EXPECT_EQ(outputs.front().bytes, Ok);
        EXPECT_EQ(outputs.back().hangUp, record == 2) << record;
    }
    EXPECT_TRUE(dropping.HungUp());
    EXPECT_EQ(Feed(dropping, "AT\r"), "");
}

}  // namespace
}  // namespace corvane::sim
