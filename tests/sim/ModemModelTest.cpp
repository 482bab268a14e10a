#include "sim/ModemModel.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "sim/ModemRecords.h"

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

    // ESC abandons a text entry: nothing is stored and the module is back in command mode.
    Feed(modem, "AT^QBNW=aud,0,1,1\r");
    EXPECT_EQ(Feed(modem, "half\x1b"), "half");
    EXPECT_EQ(Feed(modem,
                   "\x1a"
                   "AT\r"),
              "\x1a"
              "AT\r" +
                  Ok);
    EXPECT_EQ(modem.StoredSet(), Texts{});

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

// Switched on again, a module takes commands whatever it was in the middle of, and keeps what it
// stored; a line that is hung up stays down.
TEST(ModemModel, PowerOnEndsAnyBlockAndKeepsTheStoredSet) {
    ModemModel text(Quiet(Family::K31));
    Feed(text, "AT^QBNW=aud,0,1,2\r");
    Feed(text, "one\x1a");
    Feed(text, "AT^QBNW=aud,0,2,2\r");
    Feed(text, "tw");
    ModemModel record(Quiet(Family::K47));
    Feed(record, "AT^QBNW=aud,0\r");
    Feed(record, "\x00\x40rec"s);
    ModemModel line(Quiet(Family::K31));
    Feed(line, "AT^QBN");
    for (ModemModel* modem : {&text, &record, &line}) {
        if (modem != &line) {
            EXPECT_EQ(Feed(*modem, "AT\r"), "") << "taken as data";
        }
        EXPECT_TRUE(modem->PowerOn());
        EXPECT_EQ(Feed(*modem, "W\rAT\r"), Ok) << "nothing of the line before";
    }
    EXPECT_EQ(text.StoredSet(), Texts{"one"});
    EXPECT_EQ(record.StoredSet(), Texts{});

    ModemModel dropped(Quiet(Family::K31, {.hangUpAfterCommands = 1}));
    Feed(dropped, "AT\r");
    EXPECT_FALSE(dropped.PowerOn());
    EXPECT_EQ(Feed(dropped, "AT\r"), "");
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

    // The other family's marker, and the data taken in that marker's mode.
    ModemModel wrong31(Quiet(Family::K31, {.wrongMarker = true}));
    ModemModel wrong47(Quiet(Family::K47, {.wrongMarker = true}));
    EXPECT_EQ(Feed(wrong31, "AT^QBNW=aud,0,1,1\r"), "\r\nCONNECT\r\n");
    EXPECT_EQ(Feed(wrong47, "AT^QBNW=aud,0\r"), Prompt);
    EXPECT_EQ(Feed(wrong31, "\x00\x03r"s) + Feed(wrong47, "text\x1a"), Ok + Ok);
    EXPECT_EQ(wrong31.StoredSet(), Texts{"\x00\x03r"s});
    EXPECT_EQ(wrong47.StoredSet(), Texts{"text"});

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

// No marker a reply is searched for can form in it, and no zero byte hides any of it.
void ExpectNoMarkers(const std::string& bytes) {
    EXPECT_EQ(bytes.find_first_of("0O>\0"s), std::string::npos) << EscapeBytes(bytes);
}

TEST(ModemModel, FallsSilentAfterSoManyCommandLines) {
    ModemModel modem({.family = Family::K31, .faults = {.silentAfterCommands = 2}});
    EXPECT_EQ(Feed(modem, "AT\r"), "AT\r" + Ok);
    // The second line's answer still goes out; nothing of the third, not even its echo.
    EXPECT_EQ(Feed(modem, "AT\rAT^QMSO\r"), "AT\r" + Ok);
    EXPECT_EQ(Feed(modem, "AT\r"), "");
    EXPECT_EQ(modem.Commands(), (Texts{"AT", "AT"}));
    EXPECT_EQ(modem.Transcript().size(), 3u) << "it still hears";
}

TEST(ModemModel, AnswerFaultsConcernOnlyTheChosenCommandLines) {
    const ModemFaults unanswered{.answerTo = "AT^QBNW", .answer = Answer::None};
    ModemModel quiet(Quiet(Family::K31, unanswered));
    EXPECT_EQ(Feed(quiet, "AT^QBNW=aud,0,1,1\r"), "");
    EXPECT_EQ(Feed(quiet, "AT\r"), Ok) << "not acted on: still in command mode";
    EXPECT_EQ(quiet.Commands(), (Texts{"AT^QBNW=aud,0,1,1", "AT"}));

    ModemModel garbling(Quiet(Family::K47, {.answerTo = "AT^QNFS", .answer = Answer::Garbage}));
    const std::string garbage = Feed(garbling, "AT^QNFS=3\r");
    EXPECT_GE(garbage.size(), 16u);
    ExpectNoMarkers(garbage);
    EXPECT_NE(Feed(garbling, "AT^QNFS=3\r"), garbage) << "random, not a fixed text";
    EXPECT_EQ(Feed(garbling, "AT\r"), Ok);

    ModemModel babbling(Quiet(Family::K47, {.answer = Answer::Endless}));
    std::vector<ModemOutput> outputs = Outputs(babbling, "AT\rAT\r");
    ASSERT_EQ(outputs.size(), 1u) << "nothing more can follow an endless answer";
    EXPECT_TRUE(outputs[0].endless);
    EXPECT_GE(outputs[0].bytes.size(), 256u);
    ExpectNoMarkers(outputs[0].bytes);

    // Delay and filler for the chosen lines only; echo is never delayed.
    ModemModel slow({.family = Family::K31,
                     .latencyMs = 10,
                     .faults = {.answerTo = "AT^QMSO", .answerDelayMs = 4800, .longReply = 3}});
    outputs = Outputs(slow, "AT\rAT^QMSO\r");
    ASSERT_EQ(outputs.size(), 4u);
    EXPECT_EQ(outputs[1].bytes, Ok);
    EXPECT_EQ(outputs[1].delayMs, 10u);
    EXPECT_EQ(outputs[2].delayMs, 0u);
    EXPECT_EQ(outputs[3].bytes, "..." + Ok);
    EXPECT_EQ(outputs[3].delayMs, 4810u);

    // With no line chosen, confirmations are concerned as well; the first answer only, if asked.
    for (const bool firstOnly : {false, true}) {
        ModemModel late(Quiet(Family::K47, {.firstAnswerOnly = firstOnly, .answerDelayMs = 5200}));
        Feed(late, "AT^QBNW=aud,0\r");
        outputs = Outputs(late, "\x00\x03r"s);
        ASSERT_EQ(outputs.size(), 1u);
        EXPECT_EQ(outputs[0].delayMs, firstOnly ? 0u : 5200u);
    }
}

TEST(ModemModel, GivenAnswersReplaceThoseOfTheFirstLines) {
    ModemModel modem(Quiet(Family::K31, {.givenAnswers = {std::nullopt, "ER0R", ""}}));
    EXPECT_EQ(Feed(modem, "AT\r"), Ok);
    EXPECT_EQ(Feed(modem, "AT^QBNW=aud,0,1,1\r"), "ER0R");
    EXPECT_EQ(Feed(modem, "AT^QBNW=aud,0,1,1\r"), "");
    EXPECT_EQ(Feed(modem, "AT^QBNW=aud,0,1,1\r"), Prompt) << "the lines before were not acted on";
}

TEST(ModemModel, HangsUpAfterACommandLineOrInsideABlock) {
    ModemModel afterCommand(Quiet(Family::K31, {.hangUpAfterCommands = 2}));
    EXPECT_FALSE(Outputs(afterCommand, "AT\r").back().hangUp);
    const std::vector<ModemOutput> outputs = Outputs(afterCommand, "AT\rAT\r");
    ASSERT_EQ(outputs.size(), 2u);
    EXPECT_EQ(outputs[0].bytes, Ok) << "the line drops once the answer is out";
    EXPECT_TRUE(outputs[1].hangUp);
    EXPECT_TRUE(afterCommand.HungUp());

    for (const Family family : {Family::K31, Family::K47}) {
        ModemModel inBlock({.family = family, .faults = {.hangUpInBlock = 3}});
        Feed(inBlock, family == Family::K31 ? "AT^QBNW=aud,0,1,1\r" : "AT^QBNW=aud,0\r");
        const std::vector<ModemOutput> cut = Outputs(inBlock,
                                                     "\x00\x09"
                                                     "abcdefg\x1a"s);
        ASSERT_FALSE(cut.empty());
        EXPECT_TRUE(cut.back().hangUp);
        // Text is echoed up to the byte that dropped the line; records are never echoed.
        EXPECT_EQ(cut.front().bytes, family == Family::K31 ? "\x00\x09"
                                                             "a"s
                                                           : ""s);
        EXPECT_EQ(inBlock.StoredSet(), Texts{});
    }
}

}  // namespace
}  // namespace corvane::sim
