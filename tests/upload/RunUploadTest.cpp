// The procedure a job names, and what the operator is told beyond the result code: blocks
// accepted, a stopped run, the rate found, and why the port or the file did not open.
#include "upload/RunUpload.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/upload/UploadRig.h"
#include "upload/PortHoldersText.h"

namespace corvane {
namespace {

TEST(RunUpload, ModelCodesAreReadLikeAtoi) {
    const std::pair<const char*, UploadProcedure> codes[] = {
        {"31", UploadProcedure::Text},     {"47", UploadProcedure::Binary},
        {"316", UploadProcedure::Text},    {"40", UploadProcedure::Binary},
        {"39", UploadProcedure::Text},     {"", UploadProcedure::Text},
        {"K47", UploadProcedure::Text},    {"-7", UploadProcedure::Text},
        {"3160", UploadProcedure::Binary}, {" +50x", UploadProcedure::Binary},
        {nullptr, UploadProcedure::Text},  {"4294967297", UploadProcedure::Text},
    };
    for (const auto& [code, procedure] : codes) {
        EXPECT_EQ(ProcedureForModelCode(code), procedure) << (code ? code : "null");
    }
}

UploadJob JobFor(const test::UploadRig& rig, UploadProcedure procedure) {
    return {.procedure = procedure,
            .filePath = rig.filePath,
            .portName = test::PortName,
            .baudRate = test::ConfiguredRate};
}

TEST(RunUpload, RunsTheJobsProcedureAndCountsWhatTheModuleAccepted) {
    test::UploadRig text("Lines:5\nA\nB\nC\nD\nE\n", {.family = sim::Family::K31});
    const UploadOutcome sent = text.Run(JobFor(text, UploadProcedure::Text));
    EXPECT_TRUE(sent.Succeeded());
    EXPECT_EQ(sent.procedure, UploadProcedure::Text);
    EXPECT_EQ(sent.rate, test::ConfiguredRate);
    EXPECT_EQ(sent.accepted, 3u);
    EXPECT_EQ(sent.position, 6u);
    EXPECT_EQ(sent.range, 5u);
    EXPECT_EQ(text.reports, (test::Reports{{2, 5}, {4, 5}, {6, 5}}));
    EXPECT_EQ(sent.detail, "");
    EXPECT_EQ(text.finished, 1) << "the outcome is told once";

    test::UploadRig binary(test::Record(10) + test::Record(30), {.family = sim::Family::K47});
    binary.afterReport = [&binary] { binary.stop.Request(); };
    const UploadOutcome stopped = binary.Run(JobFor(binary, UploadProcedure::Binary));
    EXPECT_TRUE(stopped.stopped);
    EXPECT_FALSE(stopped.Succeeded());
    EXPECT_EQ(stopped.procedure, UploadProcedure::Binary);
    EXPECT_EQ(stopped.accepted, 1u);
    EXPECT_EQ(stopped.position, 25u);
    EXPECT_EQ(binary.Stored(), std::vector<std::string>{test::Record(10)});
}

// What a real port cannot be made to say as root; the file's reasons are the end-to-end tests'.
TEST(RunUpload, NamesThePortAndWhatItSaid) {
    test::UploadRig rig("Lines:1\nA\n", {.family = sim::Family::K31});
    UploadJob job = JobFor(rig, UploadProcedure::Text);
    job.portName = "/dev/ttyUSB0";
    const auto detail = [&rig, &job] { return rig.Run(job).detail; };

    rig.port.FailOpen(true, "permission denied (is the user in the dialout group?)");
    EXPECT_EQ(detail(), "/dev/ttyUSB0: permission denied (is the user in the dialout group?)");
    rig.port.FailOpen(true, "");
    EXPECT_EQ(detail(), "");
    job.portName = "";
    EXPECT_EQ(detail(), "no serial port configured");
    job.filePath = "";
    EXPECT_EQ(detail(), "no parameter file chosen");
}

// Another program on the port is named when the run fails there, and never refuses a run.
TEST(RunUpload, NamesOtherProgramsOnThePortOfAFailedRun) {
    const std::string modemManager =
        "also open in ModemManager (pid 812): stop it with `systemctl stop ModemManager`, or keep "
        "it away from the module with the udev rule in /usr/share/doc/corvane/examples/";
    const std::string others =
        modemManager + "; also open in corvane-update (pid 900): wait for its update to end";
    const struct {
        const char* name;
        bool silent;
        const char* openFailure;
        ResultCode code;
        std::string detail;
    } cases[] = {
        {"refused", false, "in use by another program that holds it exclusively",
         ResultPortUnavailable,
         "/dev/ttyS1: in use by another program that holds it exclusively; " + others},
        {"silent", true, nullptr, ResultModemNotConnected,
         "no answer to AT at 115200, 230400, 57600, 38400, 19200 baud (2 passes); if the module "
         "runs at another rate, give it with corvane-update -b RATE; /dev/ttyS1: " +
             others},
        {"answers", false, nullptr, ResultOk, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::UploadRig rig("Lines:1\nA\n",
                            {.family = sim::Family::K31, .faults = {.silent = c.silent}});
        rig.port.SetOtherHolders({{"ModemManager", 812}, {"corvane-update", 900}});
        rig.port.FailOpen(c.openFailure != nullptr, c.openFailure ? c.openFailure : "");
        const UploadOutcome outcome = rig.Run(JobFor(rig, UploadProcedure::Text));
        EXPECT_EQ(outcome.code, c.code);
        EXPECT_EQ(outcome.detail, c.detail);
    }

    std::string detail = "no answer";
    AddOtherHolders(detail, "/dev/ttyS1", {{"minicom", 7}});
    EXPECT_EQ(detail, "no answer; /dev/ttyS1: also open in minicom (pid 7): close it");
    detail = "/dev/ttyS1: in use by another update (pid 9)";
    AddOtherHolders(detail, "/dev/ttyS1", {{"corvane-update", 9}});
    EXPECT_EQ(detail, "/dev/ttyS1: in use by another update (pid 9)") << "named once";
    // Any user can name a process anything (prctl); a port name comes from outside too.
    detail = "no answer";
    AddOtherHolders(detail, "/dev/tty\x1B[2J", {{"\x1B]0;OWNED\x07", 5}});
    EXPECT_EQ(detail,
              "no answer; /dev/tty\\x1B[2J: also open in \\x1B]0;OWNED\\x07 (pid 5): close it");
}

}  // namespace
}  // namespace corvane
