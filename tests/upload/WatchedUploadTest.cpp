// What the operator is told beyond the result code: blocks accepted, a stopped run, and why the
// port or the file did not open.
#include <gtest/gtest.h>

#include <string>

#include "tests/upload/UploadRig.h"
#include "upload/UploadOutcome.h"

namespace corvane {
namespace {

using test::ScriptedModule;

// A port that does not open and says why, as the system's port does.
class RefusingPort : public test::FakeSerialPort {
  public:
    RefusingPort(test::FakePlatform& fake, std::string reason)
        : FakeSerialPort(fake.clock, fake.log), reason(std::move(reason)) {
        FailOpen();
    }
    std::string LastError() const override { return reason; }

  private:
    std::string reason;
};

UploadOutcome Watch(test::UploadRig& rig, const char* family, const std::string& path,
                    const std::string& port, platform::Platform& platform,
                    StopRequest* stop = nullptr) {
    return RunWatchedUpload(family, "aud", path, port, test::ConfiguredRate, rig.Progress(),
                            platform, stop);
}

TEST(WatchedUpload, CountsTheAcceptedBlocksAndPassesTheReportsOn) {
    test::UploadRig text("Lines:5\nA\nB\nC\nD\nE\n", ScriptedModule::Family::Text);
    const UploadOutcome sent = Watch(text, "31", text.filePath, test::PortName, text.platform);
    EXPECT_EQ(sent.code, ResultOk);
    EXPECT_FALSE(sent.stopped);
    EXPECT_TRUE(sent.textProcedure);
    EXPECT_EQ(sent.accepted, 3u);
    EXPECT_EQ(sent.position, 6u);
    EXPECT_EQ(sent.range, 5u);
    EXPECT_EQ(text.reports, (test::Reports{{2, 5}, {4, 5}, {6, 5}}));
    EXPECT_EQ(sent.detail, "");

    test::UploadRig binary(test::Record(10) + test::Record(30), ScriptedModule::Family::Binary);
    StopRequest stop;
    const ProgressCallback stopAfterFirst = [&stop](uint32_t, uint32_t) {
        stop.Request();
        return 1;
    };
    const UploadOutcome stopped =
        RunWatchedUpload("47", "aud", binary.filePath, test::PortName, test::ConfiguredRate,
                         stopAfterFirst, binary.platform, &stop);
    EXPECT_EQ(stopped.code, StoppedResult);
    EXPECT_TRUE(stopped.stopped);
    EXPECT_FALSE(stopped.textProcedure);
    EXPECT_EQ(stopped.accepted, 1u);
    EXPECT_EQ(stopped.position, 25u);
    EXPECT_EQ(binary.module.blocks.size(), 1u);
}

// What a real port cannot be made to say as root; the file's reasons are the end-to-end tests'.
TEST(WatchedUpload, NamesThePortAndWhatItSaid) {
    test::UploadRig rig("Lines:1\nA\n", ScriptedModule::Family::Text);
    RefusingPort denied(rig.fake, "permission denied (is the user in the dialout group?)");
    RefusingPort mute(rig.fake, "");
    platform::Platform deniedPlatform{denied, rig.fake.clock, rig.fake.libraries};
    platform::Platform mutePlatform{mute, rig.fake.clock, rig.fake.libraries};
    EXPECT_EQ(Watch(rig, "31", rig.filePath, "/dev/ttyUSB0", deniedPlatform).detail,
              "/dev/ttyUSB0: permission denied (is the user in the dialout group?)");
    EXPECT_EQ(Watch(rig, "31", rig.filePath, "/dev/ttyUSB0", mutePlatform).detail, "");
    EXPECT_EQ(Watch(rig, "31", rig.filePath, "", mutePlatform).detail, "no serial port configured");
    EXPECT_EQ(Watch(rig, "47", "", "/dev/ttyUSB0", deniedPlatform).detail,
              "no parameter file chosen");
}

}  // namespace
}  // namespace corvane
