#include "upload/UploadJob.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/upload/UploadRig.h"

namespace corvane {
namespace {

using namespace std::string_literals;
using test::Cancel;
using test::Reports;
using test::UploadRig;
using testing::ElementsAre;
using testing::IsEmpty;

const sim::ModemOptions Text{.family = sim::Family::K31};

TEST(TextParameterUpload, SendsFiveLinesAsThreeNumberedBlocks) {
    UploadRig rig("Lines:5\r\n\r\nD1\r\nD2\r\nD3\r\nD4\r\nD5\r\n", Text);
    EXPECT_EQ(rig.Run(UploadProcedure::Text), ResultOk);
    EXPECT_THAT(rig.Writes(), ElementsAre("AT\r", "AT\r", "AT^QBNW=aud,0,1,3\r", "D1D2\x1A",
                                          "AT^QBNW=aud,0,2,3\r", "D3D4\x1A", "AT^QBNW=aud,0,3,3\r",
                                          "D5\x1A", "AT^QMSO\r"));
    EXPECT_EQ(rig.reports, (Reports{{2, 5}, {4, 5}, {6, 5}}));
}

// What a file makes of a run with a willing module: the blocks it received, the total its block
// commands announced, the range of the progress reports (two lines per block), and whether
// the transfer was cancelled, which leaves the module holding nothing of the set.
struct FileCase {
    const char* name;
    std::string content;
    ResultCode result;
    std::vector<std::string> blocks;
    uint32_t total = 0;
    uint32_t range = 0;
    bool cancelled = false;
    // What the operator is told about a refused file.
    std::string detail = "";
};

void PrintTo(const FileCase& file, std::ostream* out) {
    *out << file.name;
}

class TextFileTest : public testing::TestWithParam<FileCase> {};

TEST_P(TextFileTest, SendsWhatTheFileHolds) {
    const FileCase& file = GetParam();
    UploadRig rig(file.content, Text);
    EXPECT_EQ(rig.Run(UploadProcedure::Text), file.result);

    std::vector<std::string> commands;
    Reports reports;
    for (uint32_t i = 1; i <= file.blocks.size(); ++i) {
        commands.push_back("AT^QBNW=aud,0," + std::to_string(i) + "," + std::to_string(file.total) +
                           "\r");
        reports.emplace_back(2 * i, file.range);
    }
    if (file.cancelled) {
        commands.push_back(Cancel);
    }
    EXPECT_EQ(rig.Stored(), file.cancelled ? std::vector<std::string>{} : file.blocks);
    EXPECT_EQ(rig.BlockCommands(), commands);
    EXPECT_EQ(rig.reports, reports);
    // Whatever the file holds, the module was found and is switched off at the end.
    EXPECT_EQ(rig.Writes().back(), "AT^QMSO\r");
    EXPECT_EQ(rig.StepsAfterLastWrite(), test::ClosingSteps(100));
    EXPECT_FALSE(rig.FileStillOpen());
    // A refused file is named with its path.
    EXPECT_EQ(rig.outcome.detail,
              file.result == ResultInvalidFile ? rig.filePath + ": " + file.detail : file.detail);
}

constexpr ResultCode Ok = ResultOk;
constexpr ResultCode Invalid = ResultInvalidFile;

INSTANTIATE_TEST_SUITE_P(
    Pairing, TextFileTest,
    testing::Values(
        FileCase{"CountZero", "Lines:0\nA\nB\n", Ok, {}, 0, 0, false, NothingWrittenText},
        FileCase{"OneOfOne", "Lines:1\nA\n", Ok, {"A"}, 1, 1},
        FileCase{"OneDeclaredTwoThere", "Lines:1\nA\nB\nC\n", Ok, {"AB"}, 1, 1},
        FileCase{"ThreeOfThree", "Lines:3\nA\nB\nC\n", Ok, {"AB", "C"}, 2, 3},
        FileCase{"FileEndsInsidePair", "Lines:4\nA\nB\nC\n", Ok, {"AB", "C"}, 2, 4},
        FileCase{"FileEndsBeforeBlock",
                 "Lines:4\nA\nB\n",
                 Invalid,
                 {"AB"},
                 2,
                 4,
                 true,
                 "the file ends at byte 12 after 2 of the 4 lines its header declares"},
        FileCase{"LinesBeyondTheCount", "Lines:2\nA\nB\nC\nD\nE\n", Ok, {"AB"}, 1, 2},
        FileCase{"BlankBeforeNumber",
                 "Lines: 12\nA\nB\n",
                 Invalid,
                 {"AB"},
                 6,
                 12,
                 true,
                 "the file ends at byte 14 after 2 of the 12 lines its header declares"},
        FileCase{"CountAbove16Bits",
                 "Lines:65538\nA\nB\n",
                 Invalid,
                 {"AB"},
                 32769,
                 2,
                 true,
                 "the file ends at byte 16 after 2 of the 65538 lines its header declares"}),
    [](const auto& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    LineEnds, TextFileTest,
    testing::Values(FileCase{"CrLf", "Lines:3\r\nA\r\nB\r\nC\r\n", Ok, {"AB", "C"}, 2, 3},
                    FileCase{"Cr", "Lines:3\rA\rB\rC", Ok, {"AB", "C"}, 2, 3},
                    FileCase{
                        "Blanks", "\n\r\nLines:3\n\nA\r\n\r\nB\n\n\nC\n\n", Ok, {"AB", "C"}, 2, 3},
                    // The text sent ends at a zero byte; the rest of the line is dropped.
                    FileCase{"ZeroByteInLine", "Lines:2\nA\0xyz\nB\n"s, Ok, {"AB"}, 1, 2},
                    // A lone zero byte is no end of file: an empty block goes out.
                    FileCase{"ZeroByteLine", "Lines:2\n\0\n"s, Ok, {""}, 1, 2}),
    [](const auto& info) { return info.param.name; });

const std::string NoText = "no \"Lines:\" header: the file holds no text";
std::string NoCount(const std::string& text, int line = 1, int byte = 0) {
    return "line " + std::to_string(line) + " at byte " + std::to_string(byte) +
           ": \"Lines:\" is followed by no count of lines (\"" + text + "\")";
}
const std::string NoHeaderAtTheStart = "line 1 at byte 0: the first line is no \"Lines:\" header";

INSTANTIATE_TEST_SUITE_P(
    BadHeaders, TextFileTest,
    testing::Values(
        FileCase{"Empty", "", Invalid, {}, 0, 0, false, NoText},
        FileCase{"Blank", "\r\n\n\r", Invalid, {}, 0, 0, false, NoText},
        // A CR LF ends one line, a lone LF another.
        FileCase{"LowerCase",
                 "\r\n\nlines:1\nA\n",
                 Invalid,
                 {},
                 0,
                 0,
                 false,
                 "line 3 at byte 3: the first line is no \"Lines:\" header"},
        FileCase{"LeadingBlank", " Lines:1\nA\n", Invalid, {}, 0, 0, false, NoHeaderAtTheStart},
        FileCase{"ByteOrderMark",
                 "\xEF\xBB\xBFLines:1\nA\n",
                 Invalid,
                 {},
                 0,
                 0,
                 false,
                 NoHeaderAtTheStart},
        // atoi would make 0 of no number, and a huge block total of a negative one.
        FileCase{"NoDigits", "Lines:x2\nA\nB\n", Invalid, {}, 0, 0, false, NoCount("x2")},
        FileCase{"ControlBytesShownEscaped",
                 "Lines:\x1A\tx\nA\n",
                 Invalid,
                 {},
                 0,
                 0,
                 false,
                 NoCount("\\x1A\\tx")},
        FileCase{"NoCount", "\nLines:\nA\n", Invalid, {}, 0, 0, false, NoCount("", 2, 1)},
        FileCase{"NegativeCount", "Lines:-2\nA\nB\nC\n", Invalid, {}, 0, 0, false, NoCount("-2")},
        FileCase{"CountBeyondTheSignedRange",
                 "Lines: 2147483648\nA\nB\n",
                 Invalid,
                 {},
                 0,
                 0,
                 false,
                 NoCount(" 2147483648")},
        FileCase{"TooLong",
                 "Lines:1" + std::string(1100, ' ') + "\nA\n",
                 Invalid,
                 {},
                 0,
                 0,
                 false,
                 "line 1 at byte 0: the header is longer than 1023 characters"}),
    [](const auto& info) { return info.param.name; });

// A pair goes out only if its joined text leaves room for Ctrl-Z and the zero byte in the
// 1024-byte block buffer; nothing of a longer one is sent, cut or split.
const std::string A1000(1000, 'a');
const std::string A1022(1022, 'a');
const std::string TooLong = "longer than the 1022 characters a block takes";

INSTANTIATE_TEST_SUITE_P(
    LongLines, TextFileTest,
    testing::Values(
        FileCase{"PairOf1022",
                 "Lines:2\n" + A1000 + "\n" + std::string(22, 'b'),
                 Ok,
                 {A1000 + std::string(22, 'b')},
                 1,
                 2},
        FileCase{"LoneLineOf1022", "Lines:1\n" + A1022 + "\n", Ok, {A1022}, 1, 1},
        FileCase{"PairOf1023",
                 "Lines:2\n" + A1000 + "\n" + std::string(23, 'b'),
                 Invalid,
                 {},
                 0,
                 0,
                 true,
                 "lines 2 and 3 at byte 8: together " + TooLong},
        FileCase{"FirstLineOf1023",
                 "Lines:1\n" + A1022 + "a",
                 Invalid,
                 {},
                 0,
                 0,
                 true,
                 "line 2 at byte 8: " + TooLong},
        FileCase{"SecondLineOf1024",
                 "Lines:2\nA\n" + std::string(1024, 'b'),
                 Invalid,
                 {},
                 0,
                 0,
                 true,
                 "lines 2 and 3 at byte 8: together " + TooLong},
        // Lines whose text up to a zero byte would fit are still longer than their reads.
        FileCase{"FirstCutBeforeZeroByte",
                 "Lines:2\n" + A1022 + "\0xyz\nB\n"s,
                 Invalid,
                 {},
                 0,
                 0,
                 true,
                 "line 2 at byte 8: " + TooLong},
        FileCase{"SecondCutAfterZeroByte",
                 "Lines:2\nA\n\0"s + std::string(1100, 'b'),
                 Invalid,
                 {},
                 0,
                 0,
                 true,
                 "lines 2 and 3 at byte 8: together " + TooLong},
        FileCase{"AfterAGoodPair",
                 "Lines:4\nA\nB\n" + std::string(2000, 'c') + "\nD\n",
                 Invalid,
                 {"AB"},
                 2,
                 4,
                 true,
                 "line 4 at byte 12: " + TooLong}),
    [](const auto& info) { return info.param.name; });

// However the module fails a block, the operator hears that the file did not go in, after the
// cancel command and the closing sequence, and what the module answered. A K47 module takes the
// cancel command for a record command, and would take everything after it as a record: one that
// asked for a record is reset instead of being sent it, one that answers it with CONNECT is reset
// after it, and the operator is told which family to choose.
TEST(TextParameterUpload, AFailedBlockEndsWithCancelOrResetAndClosing) {
    const std::string advice =
        "the module answered CONNECT: it takes binary files — choose K47 (`-f 47`)";
    const struct {
        const char* name;
        sim::ModemOptions module;
        std::vector<std::string> writesAfterBlock;
        bool reset;
        std::string detail;
    } failures[] = {
        {"unconfirmed",
         {.faults = {.neverConfirm = true}},
         {"AB\x1a", Cancel},
         false,
         "the module did not confirm block 1 of 1 (no answer)"},
        {"CONNECT", {.faults = {.wrongMarker = true}}, {}, true, advice},
        {"K47", {.family = sim::Family::K47}, {"AT^QBNW=aud,0,1,1\r", Cancel}, true, advice},
        {"error",
         {.faults = {.blockError = true}},
         {"AT^QBNW=aud,0,1,1\r", Cancel},
         false,
         "the module answered the command for block 1 of 1 with ERROR instead of the text prompt"},
        {"silence",
         {.faults = {.answerTo = "AT^QBNW=aud,0,", .answer = sim::Answer::None}},
         {"\x1b", "AT^QBNW=aud,0,1,1\r", "\x1b", Cancel},
         false,
         "the module did not confirm block 1 of 1 (no answer)"},
    };
    for (const auto& [name, module, writesAfterBlock, reset, detail] : failures) {
        SCOPED_TRACE(name);
        UploadRig rig("Lines:2\nA\nB\n", module);
        EXPECT_EQ(rig.Run(UploadProcedure::Text), ResultInvalidFile);

        const std::vector<std::string> writes = rig.Writes();
        EXPECT_EQ(writes[2], "AT^QBNW=aud,0,1,1\r");
        std::vector<std::string> expected = writesAfterBlock;
        expected.push_back("AT^QMSO\r");
        EXPECT_EQ(std::vector(writes.begin() + 3, writes.end()), expected);
        const std::vector<std::string> lines = rig.fake.log.Lines();
        const auto off = std::find(lines.begin(), lines.end(), "Write AT^QMSO\\r");
        ASSERT_GE(off - lines.begin(), 6);
        const std::vector<std::string> resetSteps = {"Call RHA_RadioPwrOn", "Dtr low", "Sleep 100",
                                                     "Dtr high"};
        EXPECT_EQ(std::vector(off - 6, off - 2) == resetSteps, reset);
        EXPECT_THAT(rig.reports, IsEmpty());
        EXPECT_EQ(rig.StepsAfterLastWrite(), test::ClosingSteps(100));
        EXPECT_EQ(rig.outcome.detail, detail);
    }
}

}  // namespace
}  // namespace corvane
