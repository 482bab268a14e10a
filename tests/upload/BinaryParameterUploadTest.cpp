#include "upload/UploadJob.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/upload/UploadRig.h"

namespace corvane {
namespace {

using namespace std::string_literals;
using test::Record;
using test::Reports;
using test::UploadRig;
using testing::ElementsAre;
using testing::IsEmpty;
using Writes = std::vector<std::string>;

const sim::ModemOptions Binary{.family = sim::Family::K47};
const std::string WriteCommand = "AT^QBNW=aud,0\r";

std::string Join(const std::vector<std::string>& records) {
    std::string joined;
    for (const std::string& record : records) {
        joined += record;
    }
    return joined;
}

// The writes of a run that sends these records and then ends: rate probe, handshake, each record
// behind its announcement and write command, switch-off.
Writes WritesFor(const std::vector<std::string>& records) {
    Writes writes = {"AT\r", "AT\r"};
    for (size_t i = 0; i < records.size(); ++i) {
        if (i < 2) {
            writes.push_back(i == 0 ? "AT^QNFS=3\r" : "AT^QNFS=1\r");
        }
        writes.push_back(WriteCommand);
        writes.push_back(records[i]);
    }
    writes.push_back("AT^QMSO\r");
    return writes;
}

TEST(BinaryParameterUpload, SendsRecordsWholeAndReportsTheShareOfTheFileSent) {
    struct Walk {
        std::vector<std::string> records;
        Reports reports;
    };
    const Walk walks[] = {
        {{Record(100, 'a'), Record(100, 'k'), Record(50, 'A')}, {{40, 100}, {80, 100}, {100, 100}}},
        {{Record(3), Record(4)}, {{43, 100}, {100, 100}}},
        {{"\x00\x07\x01\x02\x00\xFF\x1A"s}, {{100, 100}}},
        {{}, {}},
    };
    for (const Walk& walk : walks) {
        UploadRig rig(Join(walk.records), Binary);
        EXPECT_EQ(rig.Run(UploadProcedure::Binary), ResultOk);
        EXPECT_EQ(rig.Writes(), WritesFor(walk.records));
        EXPECT_EQ(rig.Stored(), walk.records);
        EXPECT_EQ(rig.reports, walk.reports);
        // The operator hears that an empty file wrote nothing.
        EXPECT_EQ(rig.outcome.detail, walk.records.empty() ? NothingWrittenText : "");
    }
}

// Good records followed by one that the module must not get, nor its commands.
struct BadRecordCase {
    const char* name;
    std::vector<std::string> good;
    std::string bad;
    std::string detail;
};

void PrintTo(const BadRecordCase& bad, std::ostream* out) {
    *out << bad.name;
}

class BadRecordTest : public testing::TestWithParam<BadRecordCase> {};

TEST_P(BadRecordTest, EndsBeforeAnythingOfTheRecordGoesOut) {
    UploadRig rig(Join(GetParam().good) + GetParam().bad, Binary);
    EXPECT_EQ(rig.Run(UploadProcedure::Binary), ResultInvalidFile);
    EXPECT_EQ(rig.Writes(), WritesFor(GetParam().good));
    EXPECT_EQ(rig.reports.size(), GetParam().good.size());
    EXPECT_EQ(rig.StepsAfterLastWrite(), test::ClosingSteps(200));
    EXPECT_EQ(rig.outcome.detail, rig.filePath + ": " + GetParam().detail);
}

const std::string NoData = " leaves no room for data";
const std::string TooLong = ", more than the 1023 bytes a block takes";

INSTANTIATE_TEST_SUITE_P(
    Records, BadRecordTest,
    testing::Values(
        BadRecordCase{
            "LengthZero", {}, "\x00\x00\x41\x42"s, "record 1 at byte 0: length 0" + NoData},
        BadRecordCase{
            "LengthOne", {}, "\x00\x01\x41\x42"s, "record 1 at byte 0: length 1" + NoData},
        BadRecordCase{
            "LengthTwo", {Record(5)}, "\x00\x02\x41\x42"s, "record 2 at byte 5: length 2" + NoData},
        BadRecordCase{
            "TooLargeForOneBlock", {}, Record(1024), "record 1 at byte 0: length 1024" + TooLong},
        BadRecordCase{"LargestTheBufferHolds",
                      {Record(5)},
                      Record(5120),
                      "record 2 at byte 5: length 5120" + TooLong},
        BadRecordCase{"AboveTheBuffer",
                      {Record(5), Record(6)},
                      Record(5121),
                      "record 3 at byte 11: length 5121" + TooLong},
        BadRecordCase{"StrayByte",
                      {Record(5), Record(6), Record(7)},
                      "\x00"s,
                      "record 4 at byte 18: the file ends inside its length field"},
        BadRecordCase{"BodyShort",
                      {Record(5)},
                      Record(300).substr(0, 299),
                      "record 2 at byte 5: length 300, but the file ends after 299 of its bytes"},
        BadRecordCase{"BodyMissing",
                      {Record(5)},
                      Record(300).substr(0, 2),
                      "record 2 at byte 5: length 300, but the file ends after 2 of its bytes"}),
    [](const auto& info) { return info.param.name; });

TEST(BinaryParameterUpload, TheLargestRecordOfOneBlockGoesIn) {
    UploadRig rig(Record(1023), Binary);
    EXPECT_EQ(rig.Run(UploadProcedure::Binary), ResultOk);
    EXPECT_THAT(rig.Stored(), ElementsAre(Record(1023)));
}

TEST(BinaryParameterUpload, PassesTheBlockTransfersFailureOn) {
    const struct {
        sim::ModemFaults faults;
        ResultCode result;
        std::string detail;
    } failures[] = {
        {{.neverConfirm = true},
         ResultModemRejectedData,
         "the module did not confirm record 1 (no answer)"},
        {{.answerTo = "AT^QBNW", .answer = sim::Answer::None},
         ResultModemRejectedData,
         "the module did not confirm record 1 (no answer)"},
        {{.blockError = true},
         ResultWrongModuleType,
         "the module answered the command for record 1 with ERROR instead of CONNECT"},
    };
    for (const auto& [faults, result, detail] : failures) {
        UploadRig rig(Record(9) + Record(10), {.family = sim::Family::K47, .faults = faults});
        EXPECT_EQ(rig.Run(UploadProcedure::Binary), result);
        EXPECT_THAT(rig.reports, IsEmpty());
        EXPECT_EQ(rig.StepsAfterLastWrite(), test::ClosingSteps(200));
        EXPECT_EQ(rig.outcome.detail, detail);
    }
}

// Counted in 32 bits, a file of 4 GiB would pass for an empty one and "succeed" unsent.
TEST(BinaryParameterUpload, RefusesAFileTooLargeToMeasure) {
    UploadRig rig(Record(7), Binary);
    std::filesystem::resize_file(rig.filePath, uint64_t{1} << 32);
    EXPECT_EQ(rig.Run(UploadProcedure::Binary), ResultInvalidFile);
    EXPECT_EQ(rig.Writes(), WritesFor({}));
    EXPECT_EQ(rig.outcome.detail,
              rig.filePath + ": the file holds 4294967296 bytes, more than 4294967295");
}

// A module that asks for text gets nothing of a record: as text, one under 256 bytes would be
// nothing but Ctrl-Z, and any other would go in cut at its first zero byte, both confirmed. ESC
// takes the module out of its text entry, so that the switch-off is a command again.
TEST(BinaryParameterUpload, AModuleAskingForTextGetsNoRecord) {
    for (const uint32_t length : {5u, 300u}) {
        SCOPED_TRACE(length);
        UploadRig rig(Record(length),
                      {.family = sim::Family::K47, .faults = {.wrongMarker = true}});
        EXPECT_EQ(rig.Run(UploadProcedure::Binary), ResultWrongModuleType);
        EXPECT_EQ(rig.Writes(),
                  (Writes{"AT\r", "AT\r", "AT^QNFS=3\r", WriteCommand, "\x1b", "AT^QMSO\r"}));
        EXPECT_THAT(rig.Stored(), IsEmpty());
        EXPECT_EQ(rig.module.Model().Commands().back(), "AT^QMSO");
        EXPECT_EQ(rig.StepsAfterLastWrite(), test::ClosingSteps(200));
        EXPECT_EQ(rig.outcome.detail,
                  "the module answered with the text prompt: it takes text files \u2014 choose "
                  "K31 (`-f 31`)");
    }
}

}  // namespace
}  // namespace corvane
