#include "sim/ModemModel.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace corvane::sim {
namespace {

using namespace std::string_literals;

constexpr uint32_t Rate = 115200;

// Feeds bytes as one chunk at the module's rate and returns all it sends back.
std::string Feed(ModemModel& modem, std::string_view bytes, uint32_t rate = Rate) {
    std::string sent;
    for (const ModemOutput& output :
         modem.Receive({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()}, rate, 0)) {
        sent += output.bytes;
    }
    return sent;
}

ModemOptions Quiet(Family family) {
    return {.family = family, .echo = false};
}

TEST(ModemModel, CommandLinesAreAnsweredInEachStyle) {
    const struct {
        bool echo, numeric;
        std::string ok, error;
    } styles[] = {
        {false, false, "\r\nOK\r\n", "\r\nERROR\r\n"},
        {false, true, "0\r", "4\r"},
        {true, false, "\r\nOK\r\n", "\r\nERROR\r\n"},
        {true, true, "0\r", "4\r"},
    };
    for (const Family family : {Family::K31, Family::K47}) {
        for (const auto& style : styles) {
            ModemModel modem({.family = family, .echo = style.echo, .numeric = style.numeric});
            const auto echo = [&](const std::string& s) { return style.echo ? s : ""s; };
            EXPECT_EQ(Feed(modem, "AT\r"), echo("AT\r") + style.ok);
            EXPECT_EQ(Feed(modem, "AT^QMSO\r"), echo("AT^QMSO\r") + style.ok);
            EXPECT_EQ(Feed(modem, "ATI\r"), echo("ATI\r") + style.error);
            EXPECT_EQ(Feed(modem, "\xff\x00noise at\r"s), echo("\xff\x00noise at\r"s) + style.ok)
                << "anything before AT is line noise; at counts as AT";
            EXPECT_EQ(modem.Commands(), (std::vector<std::string>{"AT", "AT^QMSO", "ATI", "AT"}));
        }
    }
}

TEST(ModemModel, BytesSplitAcrossChunksMakeTheSameLine) {
    ModemModel modem(Quiet(Family::K31));
    EXPECT_EQ(Feed(modem, "A"), "");
    EXPECT_EQ(Feed(modem, "T^QM"), "");
    EXPECT_EQ(Feed(modem, "SO\r"), "\r\nOK\r\n");
}

TEST(ModemModel, K31TextBlocksFormASetAndEchoTheirText) {
    ModemModel modem({.family = Family::K31});
    EXPECT_EQ(Feed(modem, "AT^QBNW=aud,0,1,2\r"), "AT^QBNW=aud,0,1,2\r\r\n> ");
    EXPECT_EQ(Feed(modem, "line one;line two\x1a"), "line one;line two\x1a\r\nOK\r\n");
    EXPECT_EQ(Feed(modem, "AT^QBNW=aud,0,2,2\r"), "AT^QBNW=aud,0,2,2\r\r\n> ");
    EXPECT_EQ(Feed(modem, "AT in text is text\r\x1a"), "AT in text is text\r\x1a\r\nOK\r\n");
    EXPECT_EQ(modem.StoredSet(),
              (std::vector<std::string>{"line one;line two", "AT in text is text\r"}));
}

TEST(ModemModel, K31BlocksMustComeInOrder) {
    const std::string error = "\r\nERROR\r\n";
    const std::string prompt = "\r\n> ";
    ModemModel modem(Quiet(Family::K31));
    EXPECT_EQ(Feed(modem, "AT^QBNW=aud,0,2,3\r"), error) << "a set starts with block 1";
    EXPECT_EQ(Feed(modem, "AT^QBNW=aud,0,0,3\r"), error);
    EXPECT_EQ(Feed(modem, "AT^QBNW=aud,0,4,3\r"), error);
    EXPECT_EQ(Feed(modem, "AT^QBNW=aud,0,x,3\r"), error);
    EXPECT_EQ(Feed(modem, "AT^QBNW=aud,1,1,3\r"), error);
    EXPECT_EQ(Feed(modem, "AT^QBNW=,0,1,3\r"), error);
    EXPECT_EQ(Feed(modem, "AT^QBNW=aud,0,1,3\r"), prompt);
    Feed(modem, "first\x1a");
    EXPECT_EQ(Feed(modem, "AT^QBNW=aud,0,3,3\r"), error) << "block 2 skipped";
    EXPECT_EQ(Feed(modem, "AT^QBNW=aud,0,2,4\r"), error) << "total changed";
    EXPECT_EQ(Feed(modem, "AT^QBNW=bat,0,2,3\r"), error) << "another set";
    EXPECT_EQ(Feed(modem, "AT^QBNW=aud,0,2,3\r"), prompt);
    Feed(modem, "second\x1a");
    EXPECT_EQ(modem.StoredSet(), (std::vector<std::string>{"first", "second"}));
    EXPECT_EQ(Feed(modem, "AT^QBNW=aud,0,1,1\r"), prompt) << "block 1 starts a new set";
    Feed(modem, "only\x1a");
    EXPECT_EQ(modem.StoredSet(), (std::vector<std::string>{"only"}));
}

TEST(ModemModel, K31CancelDropsOnlyAnUnfinishedSet) {
    ModemModel modem(Quiet(Family::K31));
    Feed(modem, "AT^QBNW=aud,0,1,2\r");
    Feed(modem, "half\x1a");
    EXPECT_EQ(Feed(modem, "AT^QBNW=aud,0\r"), "\r\nOK\r\n");
    EXPECT_TRUE(modem.StoredSet().empty());

    Feed(modem, "AT^QBNW=aud,0,1,1\r");
    Feed(modem, "whole\x1a");
    EXPECT_EQ(Feed(modem, "AT^QBNW=aud,0\r"), "\r\nOK\r\n");
    EXPECT_EQ(modem.StoredSet(), (std::vector<std::string>{"whole"}));

    // Without its "\r" a cancel is no command yet: the next line runs into it.
    Feed(modem, "AT^QBNW=aud,0,1,2\r");
    Feed(modem, "half\x1a");
    EXPECT_EQ(Feed(modem, "AT^QBNW=aud,0"), "");
    EXPECT_EQ(Feed(modem, "AT^QMSO\r"), "\r\nERROR\r\n");
    EXPECT_EQ(modem.StoredSet(), (std::vector<std::string>{"half"}));
}

TEST(ModemModel, K47RecordsAreTakenByTheirLengthWithoutEcho) {
    ModemModel modem({.family = Family::K47});
    EXPECT_EQ(Feed(modem, "AT^QNFS=3\r"), "AT^QNFS=3\r\r\nOK\r\n");
    EXPECT_EQ(Feed(modem, "AT^QBNW=aud,0\r"), "AT^QBNW=aud,0\r\r\nCONNECT\r\n");
    const std::string record = "\x00\x08\r\n\x1a\x00OK"s;
    for (size_t i = 0; i + 1 < record.size(); ++i) {
        EXPECT_EQ(Feed(modem, record.substr(i, 1)), "") << "byte " << i;
    }
    EXPECT_EQ(Feed(modem, record.substr(record.size() - 1)), "\r\nOK\r\n");

    Feed(modem, "AT^QNFS=1\r");
    Feed(modem, "AT^QBNW=aud,0\r");
    // A record and the next command in one chunk: the module is back in command mode at once.
    EXPECT_EQ(Feed(modem, "\x00\x03zAT\r"s), "\r\nOK\r\nAT\r\r\nOK\r\n");
    EXPECT_EQ(modem.StoredSet(), (std::vector<std::string>{record, "\x00\x03z"s}));

    Feed(modem, "AT^QNFS=3\r");
    EXPECT_TRUE(modem.StoredSet().empty()) << "AT^QNFS=3 begins a new set";
    EXPECT_EQ(Feed(modem, "AT^QNFS=x\r"), "AT^QNFS=x\r\r\nERROR\r\n");
}

TEST(ModemModel, K47RefusesRecordsTooShortToHoldData) {
    for (const std::string& length : {"\x00\x00"s, "\x00\x02"s}) {
        ModemModel modem(Quiet(Family::K47));
        Feed(modem, "AT^QBNW=aud,0\r");
        EXPECT_EQ(Feed(modem, length + "AT\r"), "\r\nERROR\r\n\r\nOK\r\n");
        EXPECT_TRUE(modem.StoredSet().empty());
    }
}

TEST(ModemModel, EachFamilyRefusesTheOtherFamilysCommands) {
    ModemModel k31(Quiet(Family::K31));
    EXPECT_EQ(Feed(k31, "AT^QNFS=3\r"), "\r\nERROR\r\n");
    EXPECT_EQ(Feed(k31, "AT^QBNW=aud,0\r"), "\r\nOK\r\n") << "to a K31 module this is a cancel";
    ModemModel k47(Quiet(Family::K47));
    EXPECT_EQ(Feed(k47, "AT^QBNW=aud,0,1,3\r"), "\r\nERROR\r\n");
}

TEST(ModemModel, BytesAtAnotherRateAreOnlyRecorded) {
    ModemModel modem({.family = Family::K31, .rate = 57600});
    EXPECT_EQ(Feed(modem, "AT\r", 115200), "");
    EXPECT_EQ(Feed(modem, "AT\r", 57600), "AT\r\r\nOK\r\n");
    EXPECT_EQ(modem.Commands(), std::vector<std::string>{"AT"});
    ASSERT_EQ(modem.Transcript().size(), 2u);
    EXPECT_EQ(modem.Transcript()[0].rate, 115200u);
    EXPECT_EQ(modem.Transcript()[0].bytes, "AT\r");

    ModemModel any({.family = Family::K31, .echo = false, .rate = 0});
    for (const uint32_t rate : {19200u, 230400u, 250000u}) {
        EXPECT_EQ(Feed(any, "AT\r", rate), "\r\nOK\r\n") << rate;
    }
}

TEST(ModemModel, RepliesWaitTheLatencyEchoDoesNot) {
    ModemModel modem({.family = Family::K31, .latencyMs = 300});
    const std::string line = "AT\rAT\r";
    const std::vector<ModemOutput> outputs =
        modem.Receive({reinterpret_cast<const uint8_t*>(line.data()), line.size()}, Rate, 0);
    ASSERT_EQ(outputs.size(), 4u);
    EXPECT_EQ(outputs[0].bytes, "AT\r");
    EXPECT_EQ(outputs[0].delayMs, 0u);
    EXPECT_EQ(outputs[1].bytes, "\r\nOK\r\n");
    EXPECT_EQ(outputs[1].delayMs, 300u);
    EXPECT_EQ(outputs[2].delayMs, 0u);
    EXPECT_EQ(outputs[3].delayMs, 300u);
}

TEST(ModemModel, FaultsInTheBlockDialogue) {
    {
        ModemModel modem({.family = Family::K31, .faults = {.silent = true}});
        EXPECT_EQ(Feed(modem, "AT\r"), "");
        EXPECT_EQ(modem.Transcript().size(), 1u) << "a silent module still hears";
    }
    for (const Family family : {Family::K31, Family::K47}) {
        ModemModel modem({.family = family, .echo = false, .faults = {.blockError = true}});
        EXPECT_EQ(Feed(modem, family == Family::K31 ? "AT^QBNW=aud,0,1,1\r" : "AT^QBNW=aud,0\r"),
                  "\r\nERROR\r\n");
        EXPECT_EQ(Feed(modem, "AT\r"), "\r\nOK\r\n");
    }
    {
        ModemModel modem({.family = Family::K31, .echo = false, .faults = {.wrongMarker = true}});
        EXPECT_EQ(Feed(modem, "AT^QBNW=aud,0,1,1\r"), "\r\nCONNECT\r\n");
        EXPECT_EQ(Feed(modem, "AT\r"), "\r\nOK\r\n") << "still in command mode";
    }
    {
        ModemModel modem({.family = Family::K47, .echo = false, .faults = {.wrongMarker = true}});
        EXPECT_EQ(Feed(modem, "AT^QBNW=aud,0\r"), "\r\n> ");
        EXPECT_EQ(Feed(modem, "AT\r"), "\r\nOK\r\n");
    }
    {
        ModemModel modem({.family = Family::K31, .echo = false, .faults = {.neverConfirm = true}});
        Feed(modem, "AT^QBNW=aud,0,1,1\r");
        EXPECT_EQ(Feed(modem, "text\x1a"), "");
        EXPECT_TRUE(modem.StoredSet().empty());
        EXPECT_EQ(Feed(modem, "AT\r"), "\r\nOK\r\n");
    }
}

TEST(ModemModel, LongReplyOverflowsAReplyBufferWithoutFakeMarkers) {
    ModemModel modem({.family = Family::K31, .echo = false, .faults = {.longReply = 2500}});
    const std::string reply = Feed(modem, "AT\r");
    EXPECT_EQ(reply.size(), 2500u + 6u);
    EXPECT_TRUE(reply.ends_with("\r\nOK\r\n"));
    const std::string_view firstPart = std::string_view(reply).substr(0, 1999);
    EXPECT_EQ(firstPart.find('0'), std::string_view::npos);
    EXPECT_EQ(firstPart.find("OK"), std::string_view::npos);
}

TEST(ModemModel, HangsUpAfterConfirmingTheChosenNumberOfBlocks) {
    ModemModel modem({.family = Family::K47, .echo = false, .faults = {.hangUpAfterBlocks = 2}});
    for (int record = 1; record <= 2; ++record) {
        Feed(modem, "AT^QBNW=aud,0\r");
        const std::string data = "\x00\x03r"s;
        const std::vector<ModemOutput> outputs =
            modem.Receive({reinterpret_cast<const uint8_t*>(data.data()), data.size()}, Rate, 0);
        ASSERT_FALSE(outputs.empty());
        EXPECT_EQ(outputs.front().bytes, "\r\nOK\r\n");
        EXPECT_EQ(outputs.back().hangUp, record == 2) << record;
    }
    EXPECT_TRUE(modem.HungUp());
    EXPECT_EQ(Feed(modem, "AT\r"), "");
}

TEST(ModemModel, OverlongCommandLineIsAnError) {
    ModemModel modem(Quiet(Family::K31));
    EXPECT_EQ(Feed(modem, "AT" + std::string(5000, 'Q') + "\r"), "\r\nERROR\r\n");
    EXPECT_EQ(Feed(modem, "AT\r"), "\r\nOK\r\n");
}

}  // namespace
}  // namespace corvane::sim
