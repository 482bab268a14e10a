// The fuzz targets are only as good as their checks: each check must pass a sound run and flag
// the fault it is there for.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "fuzz/cases/CaptureJudge.h"
#include "fuzz/cases/FuzzBytes.h"
#include "fuzz/cases/UploadJudges.h"
#include "fuzz/cases/WireWrites.h"
#include "tests/support/BinaryRecord.h"
#include "tests/support/EventLog.h"

namespace corvane::fuzz {
namespace {

using testing::HasSubstr;
using testing::IsEmpty;

WireWrite Command(const std::string& bytes) {
    return {bytes, true};
}
WireWrite Data(const std::string& bytes) {
    return {bytes, false};
}

UploadOutcome Outcome(ResultCode result, std::vector<WireWrite> transfer,
                      std::vector<std::pair<uint32_t, uint32_t>> progress) {
    return {result, std::move(transfer), std::move(progress), true, true};
}

// A fault done to a sound run, and words that the check's report must hold.
struct Fault {
    std::string name;
    std::function<void(UploadOutcome&)> apply;
    std::string reported;
};

std::string FaultName(const testing::TestParamInfo<Fault>& info) {
    return info.param.name;
}

void PrintTo(const Fault& fault, std::ostream* out) {
    *out << fault.name;
}

// What the judge says of the sound run once the fault is done to it, as one text.
std::string ReportOnFaultyRun(const Judge judge, std::string_view file, UploadOutcome run,
                              const Fault& fault) {
    fault.apply(run);
    return testing::PrintToString(judge(file, run, ModuleKind::SameFamily));
}

// --- text uploads: "Lines:3" and three data lines make two blocks

const std::string TextFile = "Lines:3\r\nAB\r\nCD\r\n\r\nEF\r\n";

UploadOutcome SoundTextRun() {
    return Outcome(ResultOk,
                   {Command("AT^QBNW=aud,0,1,2\r"), Data("ABCD\x1A"),
                    Command("AT^QBNW=aud,0,2,2\r"), Data("EF\x1A"), Command("AT^QMSO\r")},
                   {{2, 3}, {4, 3}});
}

TEST(TextUploadJudge, PassesASoundRunAndARefusedOne) {
    EXPECT_THAT(JudgeTextUpload(TextFile, SoundTextRun(), ModuleKind::SameFamily), IsEmpty());
    const UploadOutcome refused = Outcome(
        ResultInvalidFile,
        {Command("AT^QBNW=aud,0,1,2\r"), Command("AT^QBNW=aud,0\r"), Command("AT^QMSO\r")}, {});
    EXPECT_THAT(JudgeTextUpload(TextFile, refused, ModuleKind::OtherFamily), IsEmpty());
}

class TextUploadFault : public testing::TestWithParam<Fault> {};

TEST_P(TextUploadFault, IsReported) {
    EXPECT_THAT(ReportOnFaultyRun(JudgeTextUpload, TextFile, SoundTextRun(), GetParam()),
                HasSubstr(GetParam().reported));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, TextUploadFault,
    testing::Values(
        Fault{"BlockOver1022Characters",
              [](UploadOutcome& r) { r.transfer[1].bytes = std::string(1023, 'A') + "\x1A"; },
              "block text of 1023 characters"},
        Fault{"NoCtrlZ", [](UploadOutcome& r) { r.transfer[1].bytes = "ABCD"; },
              "without its Ctrl-Z"},
        Fault{"LineEndInBlock", [](UploadOutcome& r) { r.transfer[1].bytes = "AB\rCD\x1A"; },
              "line end"},
        Fault{"LineLost", [](UploadOutcome& r) { r.transfer[1].bytes = "AB\x1A"; },
              "not the file's data lines in order"},
        Fault{"BlockNumberSkipped",
              [](UploadOutcome& r) { r.transfer[2].bytes = "AT^QBNW=aud,0,3,2\r"; },
              "out of order"},
        Fault{"TextWithoutCommand", [](UploadOutcome& r) { r.transfer[2] = Data("EF\x1A"); },
              "without its block command"},
        Fault{"ProgressMissing", [](UploadOutcome& r) { r.progress.pop_back(); },
              "1 progress reports for 2 blocks"},
        Fault{"ModuleNotSwitchedOff", [](UploadOutcome& r) { r.transfer.pop_back(); },
              "not switched off"},
        Fault{"PortLeftOpen", [](UploadOutcome& r) { r.portClosed = false; }, "port was left open"},
        Fault{"ResultTheProcedureNeverGives",
              [](UploadOutcome& r) { r.result = ResultModemRejectedData; },
              "not one this run can give"}),
    FaultName);

TEST(TextUploadJudge, ReportsTextSentToAModuleThatAskedForBinary) {
    const Violations violations =
        JudgeTextUpload(TextFile, SoundTextRun(), ModuleKind::OtherFamily);
    EXPECT_THAT(testing::PrintToString(violations), HasSubstr("had not prompted for text"));
}

// --- binary uploads: records of 7 and of 259 bytes (a zero byte at offset 5 of the second)

const std::string FirstRecord = test::Record("ABCDE");
const std::string SecondRecord = test::Record("rrr" + std::string(1, '\0') + std::string(253, 's'));
const std::string BinaryFile = FirstRecord + SecondRecord;

UploadOutcome SoundBinaryRun() {
    return Outcome(ResultOk,
                   {Command("AT^QNFS=3\r"), Command("AT^QBNW=aud,0\r"), Data(FirstRecord),
                    Command("AT^QNFS=1\r"), Command("AT^QBNW=aud,0\r"), Data(SecondRecord),
                    Command("AT^QMSO\r")},
                   {{3, 100}, {100, 100}});
}

TEST(BinaryUploadJudge, PassesASoundRunInEitherMode) {
    EXPECT_THAT(JudgeBinaryUpload(BinaryFile, SoundBinaryRun(), ModuleKind::SameFamily), IsEmpty());
    // As text, a record goes out up to its first zero byte: nothing of the first (its length
    // field starts with one), the length bytes and "rrr" of the second.
    UploadOutcome asText = SoundBinaryRun();
    asText.transfer[2] = Data("\x1A");
    asText.transfer[5] = Data(SecondRecord.substr(0, 5) + "\x1A");
    EXPECT_THAT(JudgeBinaryUpload(BinaryFile, asText, ModuleKind::OtherFamily), IsEmpty());
}

class BinaryUploadFault : public testing::TestWithParam<Fault> {};

TEST_P(BinaryUploadFault, IsReported) {
    EXPECT_THAT(ReportOnFaultyRun(JudgeBinaryUpload, BinaryFile, SoundBinaryRun(), GetParam()),
                HasSubstr(GetParam().reported));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, BinaryUploadFault,
    testing::Values(
        Fault{"ByteNotFromTheFile", [](UploadOutcome& r) { r.transfer[2].bytes[4] = 'x'; },
              "not the file's next record"},
        Fault{"RecordCutShort", [](UploadOutcome& r) { r.transfer[5].bytes.pop_back(); },
              "a binary block of 258 bytes for a record of 259"},
        Fault{"AnnouncementMissing", [](UploadOutcome& r) { r.transfer.erase(r.transfer.begin()); },
              "record 1 was not announced"},
        Fault{"AnnouncementsSwapped",
              [](UploadOutcome& r) { std::swap(r.transfer[0], r.transfer[3]); },
              "an announcement out of place"},
        Fault{"RecordLost",
              [](UploadOutcome& r) {
                  r.transfer.erase(r.transfer.begin() + 3, r.transfer.end() - 1);
              },
              "sent 7 of 266 bytes"},
        Fault{"ProgressBeyondTheEnd", [](UploadOutcome& r) { r.progress[1].first = 101; },
              "progress went to 101"},
        Fault{"PowerLibraryLeftLoaded", [](UploadOutcome& r) { r.libraryReleased = false; },
              "power library was left loaded"}),
    FaultName);

TEST(BinaryUploadJudge, ReportsATextBlockCarryingBytesFromBeyondItsRecord) {
    // A stale byte where the record has its zero byte: left over from a longer record before.
    UploadOutcome asText = SoundBinaryRun();
    asText.transfer[2] = Data("\x1A");
    asText.transfer[5] = Data(SecondRecord.substr(0, 5) + "s\x1A");
    const Violations violations = JudgeBinaryUpload(BinaryFile, asText, ModuleKind::OtherFamily);
    EXPECT_THAT(testing::PrintToString(violations),
                HasSubstr("not the beginning of the file's next record"));
}

// --- reply captures

struct CaptureCase {
    std::string name;
    std::string written;  // what the capture left at the start of a 10-byte buffer
    size_t capacity;
    bool replied;
    std::string reported;  // empty: a sound capture
};

void PrintTo(const CaptureCase& capture, std::ostream* out) {
    *out << capture.name;
}

class CaptureJudgeTest : public testing::TestWithParam<CaptureCase> {};

TEST_P(CaptureJudgeTest, JudgesTheCapture) {
    const CaptureCase& c = GetParam();
    ReplyBuffer buffer(10);
    std::memcpy(buffer.Span().data(), c.written.data(), c.written.size());
    Violations violations;
    ExpectCapture(buffer.Span(), c.capacity, c.replied, "\r\nOK\r\n", violations);
    if (c.reported.empty()) {
        EXPECT_THAT(violations, IsEmpty());
    } else {
        EXPECT_THAT(testing::PrintToString(violations), HasSubstr(c.reported));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Captures, CaptureJudgeTest,
    testing::Values(
        CaptureCase{"Sound", std::string("\r\nOK\r\n\0", 7), 10, true, ""},
        CaptureCase{"CutAtCapacity", std::string("\r\nO\0", 4), 4, true, ""},
        CaptureCase{"NoneWithZeroCapacity", std::string("\0", 1), 0, false, ""},
        CaptureCase{"NoTerminator", "\r\nOK", 4, true, "no zero byte"},
        CaptureCase{"PastCapacity", std::string("\r\nOK\0", 5), 4, true, "wrote past its capacity"},
        CaptureCase{"TextWithoutReply", std::string("OK\0", 3), 10, false, "not empty"},
        CaptureCase{"BytesNeverRead", std::string("KO\0", 3), 10, true, "not read from the line"}),
    [](const testing::TestParamInfo<CaptureCase>& info) { return info.param.name; });

// --- the input reader and the write classification the checks stand on

TEST(FuzzBytes, ReadsLittleEndianFieldsAndZerosPastTheEnd) {
    const std::vector<uint8_t> input = {0x34, 0x12, 0x02, 0x00, 'a', 'b', 0x56, 0x05, 0x00, 'x'};
    FuzzBytes bytes(input);
    EXPECT_EQ(bytes.Number16(), 0x1234);
    const std::span<const uint8_t> chunk = bytes.Chunk();
    EXPECT_EQ(std::string(chunk.begin(), chunk.end()), "ab");
    EXPECT_EQ(bytes.Byte(), 0x56);
    const std::span<const uint8_t> cut = bytes.Chunk();  // asks for 5, one is left
    EXPECT_EQ(std::string(cut.begin(), cut.end()), "x");
    EXPECT_TRUE(bytes.Empty());
    EXPECT_EQ(bytes.Number32(), 0u);
}

TEST(WireWrites, TellsCommandsFromDataByHowTheyWentOut) {
    using test::Event;
    using test::EventKind;
    test::EventLog log;
    log.Add({.kind = EventKind::Purge});
    log.Add({.kind = EventKind::Sleep, .value = 50});
    log.Add({.kind = EventKind::Write, .text = "AT^QBNW=aud,0,1,1\r"});
    log.Add({.kind = EventKind::Write, .text = "\x1B"});
    log.Add({.kind = EventKind::Sleep, .value = 50});
    log.Add({.kind = EventKind::Write, .text = "AT^QMSO\r"});  // data that reads like a command
    const std::vector<WireWrite> writes = WritesSince(log);
    ASSERT_EQ(writes.size(), 3u);
    EXPECT_TRUE(writes[0].command);
    EXPECT_FALSE(writes[1].command);
    EXPECT_TRUE(EndsTextEntry(writes, 1));
    EXPECT_FALSE(writes[2].command);
    EXPECT_FALSE(EndsTextEntry(writes, 2));
}

}  // namespace
}  // namespace corvane::fuzz
