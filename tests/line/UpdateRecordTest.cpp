#include "line/UpdateRecord.h"

#include <nlohmann/json.hpp>

#include "platform/HostName.h"
#include "tests/line/LineFolder.h"

namespace corvane {
namespace {

using Json = nlohmann::json;
using namespace std::chrono_literals;

Json Parsed(const std::string& line) {
    EXPECT_TRUE(line.ends_with('\n'));
    EXPECT_EQ(line.find('\n'), line.size() - 1) << "one line";
    return Json::parse(line);
}

TEST(UpdateRecord, KeepsEveryFactOfARunOnOneLine) {
    // 2026-03-14 09:26:53.589 UTC.
    const std::chrono::system_clock::time_point started{1773480413589ms};
    const UpdateRecord record{
        .started = started,
        .duration = 12345ms,
        .host = "line-3",
        .version = "2.2.0.0",
        .port = "/dev/ttyUSB1",
        .usbId = "0403:6001",
        .serialNumber = "A10K3Q",
        .stableName = "/dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0",
        .file = "/srv/sets/Bühne \"7\".prm",
        .fileSize = 2048,
        .fileSha256 = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad",
        .set = "aud",
        .outcome = {.procedure = UploadProcedure::Binary,
                    .code = ResultModemRejectedData,
                    .rate = 115200,
                    .accepted = 17,
                    .detail = "record 18: the module answered \"ERROR\""},
    };
    const Json line = Parsed(RecordLine(record));
    EXPECT_EQ(line["started"], "2026-03-14T09:26:53.589Z");
    EXPECT_EQ(line["duration_ms"], 12345);
    EXPECT_EQ(line["host"], "line-3");
    EXPECT_EQ(line["version"], "2.2.0.0");
    EXPECT_EQ(line["port"], "/dev/ttyUSB1");
    EXPECT_EQ(line["usb_id"], "0403:6001");
    EXPECT_EQ(line["serial"], "A10K3Q");
    EXPECT_EQ(line["stable_name"], "/dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0");
    EXPECT_EQ(line["family"], "K47");
    EXPECT_EQ(line["file"], "/srv/sets/Bühne \"7\".prm");
    EXPECT_EQ(line["file_size"], 2048);
    EXPECT_EQ(line["file_sha256"], record.fileSha256);
    EXPECT_EQ(line["set"], "aud");
    EXPECT_EQ(line["rate"], 115200);
    EXPECT_EQ(line["written"], 17);
    EXPECT_EQ(line["result"], 5);
    EXPECT_EQ(line["result_text"], "Modem didn't accept data.");
    EXPECT_EQ(line["detail"], "record 18: the module answered \"ERROR\"");
    EXPECT_EQ(line["stopped"], false);
    EXPECT_EQ(line.size(), 19u) << line.dump();
}

TEST(UpdateRecord, WritesWhatTheSystemDidNotSayAsNullAndForeignBytesEscaped) {
    const UpdateRecord record{
        .port = "COM5",
        .file = "set\xff\xc3.prm\r",
        .outcome = {.procedure = UploadProcedure::Text, .stopped = true, .accepted = 3},
    };
    const Json line = Parsed(RecordLine(record));
    EXPECT_EQ(line["started"], "1970-01-01T00:00:00.000Z");
    EXPECT_EQ(line["family"], "K31");
    EXPECT_EQ(line["file"], "set\\xFF\\xC3.prm\r");
    for (const char* unknown : {"host", "usb_id", "serial", "stable_name", "file_size",
                                "file_sha256", "rate", "detail"}) {
        EXPECT_TRUE(line[unknown].is_null()) << unknown;
    }
    EXPECT_EQ(line["result"], 0);
    EXPECT_EQ(line["result_text"], "Audio Parameter Update successfull");
    EXPECT_EQ(line["stopped"], true);
    EXPECT_EQ(line["written"], 3);
}

using RecordOfUpdateTest = LineFolderTest;

TEST_F(RecordOfUpdateTest, TakesTheFileAsItIsAndThePortAsTheSystemListsIt) {
    const UploadJob job{.procedure = UploadProcedure::Text,
                        .filePath = Write("set.prm", "abc"),
                        .portName = "/dev/ttyUSB0"};
    const platform::SerialPortInfo port{.device = "/dev/ttyUSB0",
                                        .usbId = "1a86:7523",
                                        .serialNumber = "",
                                        .stableName = "/dev/serial/by-path/usb-0:1"};
    const UpdateRecord record =
        RecordOfUpdate(job, {.rate = 57600, .accepted = 2}, port, {}, 950ms);
    EXPECT_EQ(record.host, platform::HostName());
    EXPECT_NE(record.host, "");
    EXPECT_EQ(record.version, CORVANE_VERSION);
    EXPECT_EQ(record.port, "/dev/ttyUSB0");
    EXPECT_EQ(record.usbId, "1a86:7523");
    EXPECT_EQ(record.stableName, "/dev/serial/by-path/usb-0:1");
    EXPECT_EQ(record.file, job.filePath);
    EXPECT_EQ(record.fileSize, 3u);
    EXPECT_EQ(record.fileSha256,
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(record.outcome.accepted, 2u);

    const UpdateRecord unread = RecordOfUpdate(
        {.filePath = PathOf("gone.prm"), .portName = "/dev/pts/4"}, {}, std::nullopt, {}, 0ms);
    EXPECT_EQ(unread.fileSize, std::nullopt);
    EXPECT_EQ(unread.fileSha256, "");
    EXPECT_EQ(unread.usbId, "");
}

}  // namespace
}  // namespace corvane
