#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "tests/link/LinkTestFixture.h"
#include "tests/support/BinaryRecord.h"
#include "tests/support/FakeModem.h"
#include "tests/support/ScriptedReplies.h"

namespace corvane {
namespace {

using sim::Family;
using test::EventKind;
using test::GuardedBuffer;
using testing::ElementsAre;
using testing::ElementsAreArray;

constexpr const char* TextCommand = "AT^QBNW=aud,0,1,2\r";
constexpr const char* BinaryCommand = "AT^QBNW=aud,0\r";

std::vector<uint8_t> RecordBytes(uint32_t length) {
    const std::string record = test::Record(length);
    return {record.begin(), record.end()};
}

// A text block buffer of the given size holding text and its zero byte.
std::vector<uint8_t> TextBuffer(const std::string& text, size_t size) {
    std::vector<uint8_t> buffer(size, 0xEE);
    std::memcpy(buffer.data(), text.c_str(), std::min(text.size() + 1, size));
    return buffer;
}

std::string Bytes(const std::vector<uint8_t>& bytes, size_t count) {
    return std::string(reinterpret_cast<const char*>(bytes.data()), count);
}

class BlockTransferTest : public test::OpenLinkTest {
  protected:
    // As the procedures send: a record with its length, which is also the confirmation's
    // capacity; a text with no record length, count being the confirmation's capacity.
    BlockResult Send(const char* command, std::vector<uint8_t>& data, uint32_t count) {
        const bool record = std::string_view(command) == BinaryCommand;
        return link.SendBlock(command, data, record ? count : 0, reply.Span(), count);
    }
    std::vector<std::string> Writes() const {
        std::vector<std::string> writes;
        for (const test::Event& e : fake.log.OfKind(EventKind::Write)) {
            writes.push_back(e.text);
        }
        return writes;
    }

    GuardedBuffer<ReplyBufferSize> reply;
};

TEST_F(BlockTransferTest, BinaryRecordGoesOutWholeAfterConnect) {
    test::FakeModem module(fake.port, {.family = Family::K47});
    std::vector<uint8_t> record = RecordBytes(7);

    EXPECT_EQ(Send(BinaryCommand, record, 7), BlockResult::Confirmed);

    EXPECT_THAT(module.Model().StoredSet(), ElementsAre(Bytes(record, 7)));
    EXPECT_THAT(fake.log.Lines({EventKind::Purge, EventKind::Write, EventKind::Sleep}),
                ElementsAre("Purge", "Sleep 50", "Write AT^QBNW=aud,0\\r", "Sleep 50",
                            "Write \\x00\\x07cdefg"));
}

TEST_F(BlockTransferTest, TextBlockGetsCtrlZAndTheCallersBufferKeepsIt) {
    test::FakeModem module(fake.port, {.family = Family::K31});
    std::vector<uint8_t> text = TextBuffer("1,2,3\n4,5,6", 1024);

    EXPECT_EQ(Send(TextCommand, text, ReplyBufferSize), BlockResult::Confirmed);

    EXPECT_THAT(module.Model().StoredSet(), ElementsAre("1,2,3\n4,5,6"));
    EXPECT_EQ(Writes().back(), "1,2,3\n4,5,6\x1A");
    EXPECT_EQ(Bytes(text, 13), std::string("1,2,3\n4,5,6\x1A", 12) + '\0');
    EXPECT_EQ(text[13], 0xEE);
}

// The block's size decides before any data byte goes out; the module has already said CONNECT.
struct SizeCase {
    const char* name;
    Family family;
    size_t bufferSize;
    std::string text;  // for the text family
    uint32_t count;
    BlockResult result;
};

class BlockSizeTest : public BlockTransferTest, public testing::WithParamInterface<SizeCase> {};

TEST_P(BlockSizeTest, BlocksThatCannotGoOutWholeAreRefusedUnsent) {
    const SizeCase& c = GetParam();
    test::FakeModem module(fake.port, {.family = c.family});
    const bool binary = c.family == Family::K47;
    std::vector<uint8_t> data =
        binary ? RecordBytes(c.bufferSize) : TextBuffer(c.text, c.bufferSize);
    const std::vector<uint8_t> before = data;

    EXPECT_EQ(Send(binary ? BinaryCommand : TextCommand, data, c.count), c.result);

    const size_t writes = c.result == BlockResult::Confirmed ? 2 : 1;
    EXPECT_EQ(Writes().size(), writes);
    EXPECT_EQ(module.Model().StoredSet().size(), writes - 1);
    if (c.result != BlockResult::Confirmed) {
        EXPECT_EQ(data, before) << "a refused block leaves the caller's buffer alone";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, BlockSizeTest,
    testing::Values(
        SizeCase{"Binary1023", Family::K47, 1023, "", 1023, BlockResult::Confirmed},
        SizeCase{"Binary1024", Family::K47, 1024, "", 1024, BlockResult::DataRefused},
        SizeCase{"BinaryWithoutRecord", Family::K47, 5120, "", 0, BlockResult::DataRefused},
        SizeCase{"BinaryCountBeyondBuffer", Family::K47, 100, "", 101, BlockResult::DataRefused},
        SizeCase{"TextWithRoomForCtrlZ", Family::K31, 7, "abcde", 2000, BlockResult::Confirmed},
        SizeCase{"TextWithoutRoomForCtrlZ", Family::K31, 6, "abcde", 2000,
                 BlockResult::DataRefused},
        SizeCase{"TextWithoutTerminator", Family::K31, 5, "abcde", 2000, BlockResult::DataRefused}),
    [](const auto& info) { return info.param.name; });

// The replies to the writes (command, ESC, block), in order, and what SendBlock makes of them.
// An unanswered command is followed by ESC, which ends a text entry begun by a late answer.
struct AttemptCase {
    const char* name;
    std::vector<std::string> replies;
    BlockResult result;
    size_t writes;
    size_t escapes;
};

class BlockAttemptTest : public BlockTransferTest,
                         public testing::WithParamInterface<AttemptCase> {};

TEST_P(BlockAttemptTest, TwoAttemptsAndTheResultToReport) {
    test::ScriptedReplies module(fake.port, GetParam().replies, true);
    std::vector<uint8_t> record = RecordBytes(10);

    EXPECT_EQ(Send(BinaryCommand, record, 10), GetParam().result);
    const std::vector<std::string> writes = Writes();
    EXPECT_EQ(writes.size(), GetParam().writes);
    size_t escapes = 0;
    for (size_t i = 0; i < writes.size(); ++i) {
        if (writes[i] == "\x1b") {
            ++escapes;
            EXPECT_EQ(writes.at(i - 1), BinaryCommand) << "ESC only right after the command";
        }
    }
    EXPECT_EQ(escapes, GetParam().escapes);
}

INSTANTIATE_TEST_SUITE_P(
    Attempts, BlockAttemptTest,
    testing::Values(
        AttemptCase{"NeverAnswered", {"", ""}, BlockResult::Unconfirmed, 4, 2},
        AttemptCase{
            "ErrorTwice", {"\r\nERROR\r\n", "\r\nERROR\r\n"}, BlockResult::WrongModuleType, 2, 0},
        AttemptCase{
            "SilentThenError", {"", "", "\r\nERROR\r\n"}, BlockResult::WrongModuleType, 3, 1},
        AttemptCase{"ErrorThenSilent", {"\r\nERROR\r\n", ""}, BlockResult::WrongModuleType, 3, 1},
        AttemptCase{"SilentThenConnected",
                    {"", "", "\r\nCONNECT\r\n", "\r\nOK\r\n"},
                    BlockResult::Confirmed,
                    4,
                    1},
        AttemptCase{"ErrorThenConnectedUnconfirmed",
                    {"\r\nERROR\r\n", "\r\nCONNECT\r\n", ""},
                    BlockResult::WrongModuleType,
                    3,
                    0},
        AttemptCase{"SilentThenConnectedUnconfirmed",
                    {"", "", "\r\nCONNECT\r\n", ""},
                    BlockResult::Unconfirmed,
                    4,
                    1},
        AttemptCase{"ErrorThenConnectedRefused",
                    {"\r\nERROR\r\n", "\r\nCONNECT\r\n", "\r\nERROR\r\n"},
                    BlockResult::WrongModuleType,
                    3,
                    0},
        AttemptCase{"ErrorThenConnectedConfirmed",
                    {"\r\nERROR\r\n", "\r\nCONNECT\r\n", "\r\nOK\r\n"},
                    BlockResult::Confirmed,
                    3,
                    0},
        // CONNECT in numeric form is the whole reply, not a 1 anywhere.
        AttemptCase{"NumericConnect", {"1\r", "0\r"}, BlockResult::Confirmed, 2, 0},
        AttemptCase{"ErrorNumberHoldingOne",
                    {"\r\n+CME ERROR: 10\r\n", "\r\n+CME ERROR: 10\r\n"},
                    BlockResult::WrongModuleType,
                    2,
                    0},
        // A text module: the record would go in as text, up to its first zero byte.
        AttemptCase{
            "PromptToARecord", {"\r\n> ", "\r\nOK\r\n"}, BlockResult::WrongModuleType, 2, 1}),
    [](const auto& info) { return info.param.name; });

TEST_F(BlockTransferTest, EscapeIsOnTheLineBeforeTheRepeatedCommandsPurge) {
    test::ScriptedReplies module(fake.port, {"", "", "\r\nCONNECT\r\n", "\r\nOK\r\n"});
    std::vector<uint8_t> record = RecordBytes(4);

    EXPECT_EQ(Send(BinaryCommand, record, 4), BlockResult::Confirmed);
    std::vector<std::string> steps;
    for (const std::string& line :
         fake.log.Lines({EventKind::Purge, EventKind::Write, EventKind::Sleep})) {
        if (line != "Sleep 10") {  // the waits for the first answer
            steps.push_back(line);
        }
    }
    EXPECT_THAT(steps, ElementsAre("Purge", "Sleep 50", "Write AT^QBNW=aud,0\\r", "Write \\x1B",
                                   "Sleep 50", "Purge", "Sleep 50", "Write AT^QBNW=aud,0\\r",
                                   "Sleep 50", "Write \\x00\\x04cd"));
}

TEST_F(BlockTransferTest, ConnectIsLookedForBeforeThePrompt) {
    test::ScriptedReplies module(fake.port, {"\r\n> \r\nCONNECT\r\n", "\r\nOK\r\n"});
    std::vector<uint8_t> record = RecordBytes(10);

    EXPECT_EQ(Send(BinaryCommand, record, 10), BlockResult::Confirmed);
    EXPECT_EQ(Writes().back(), Bytes(record, 10)) << "binary mode: the record, no Ctrl-Z";
}

// Confirmations of a block: binary takes "OK" anywhere, text only "OK\r\n"; both take "0".
struct ConfirmationCase {
    const char* name;
    bool text;
    std::string confirmation;
    BlockResult result;
};

class ConfirmationTest : public BlockTransferTest,
                         public testing::WithParamInterface<ConfirmationCase> {};

TEST_P(ConfirmationTest, MarkerDecidesWhetherTheBlockWasTaken) {
    const ConfirmationCase& c = GetParam();
    test::ScriptedReplies module(fake.port, {c.text ? "\r\n> " : "\r\nCONNECT\r\n", c.confirmation},
                                 true);
    std::vector<uint8_t> data = c.text ? TextBuffer("x=1", 64) : RecordBytes(10);

    EXPECT_EQ(Send(c.text ? TextCommand : BinaryCommand, data, c.text ? ReplyBufferSize : 10),
              c.result);
}

INSTANTIATE_TEST_SUITE_P(
    Confirmations, ConfirmationTest,
    testing::Values(
        ConfirmationCase{"BinaryOk", false, "\r\nOK\r\n", BlockResult::Confirmed},
        ConfirmationCase{"BinaryBareOk", false, "xOKx", BlockResult::Confirmed},
        ConfirmationCase{"BinaryZero", false, "0\r", BlockResult::Confirmed},
        ConfirmationCase{"BinaryError", false, "\r\nERROR\r\n", BlockResult::Unconfirmed},
        ConfirmationCase{"BinarySilent", false, "", BlockResult::Unconfirmed},
        ConfirmationCase{"TextOk", true, "\r\nOK\r\n", BlockResult::Confirmed},
        ConfirmationCase{"TextBareOk", true, "\r\nOK", BlockResult::Unconfirmed},
        ConfirmationCase{"TextZeroInsideError", true, "\r\nERROR 30\r\n", BlockResult::Confirmed},
        ConfirmationCase{"TextError", true, "\r\nERROR\r\n", BlockResult::Unconfirmed}),
    [](const auto& info) { return info.param.name; });

TEST_F(BlockTransferTest, TextConfirmationIsCapturedWithinCountAndTheReplyBuffer) {
    const std::string longConfirmation = std::string(2500, 'c') + "\r\nOK\r\n";

    // A count above the reply buffer is held to the buffer: 1999 bytes, the marker cut off.
    test::ScriptedReplies wide(fake.port, {"\r\n> ", longConfirmation});
    std::vector<uint8_t> text = TextBuffer("x=1", 64);
    EXPECT_EQ(Send(TextCommand, text, 60000), BlockResult::Unconfirmed);
    EXPECT_EQ(reply.Text(), longConfirmation.substr(0, 1999));
    EXPECT_TRUE(reply.UntouchedFrom(ReplyBufferSize));

    // A small count cuts the confirmation before its marker.
    test::ScriptedReplies narrow(fake.port, {"\r\n> ", "\r\nOK\r\n"});
    text = TextBuffer("x=1", 64);
    EXPECT_EQ(Send(TextCommand, text, 4), BlockResult::Unconfirmed);
    EXPECT_EQ(reply.Text(), "\r\nO");
}

}  // namespace
}  // namespace corvane
