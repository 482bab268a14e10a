// What both procedures share: taking file, port and module in order, the handshake, and
// releasing everything on every way out.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tests/upload/UploadRig.h"
#include "upload/UploadJob.h"

namespace corvane {
namespace {

using test::EventKind;
using testing::ElementsAre;
using testing::IsEmpty;

struct TextProcedure {
    static constexpr auto Procedure = UploadProcedure::Text;
    static constexpr auto Family = sim::Family::K31;
    static std::string ValidFile() { return "Lines:2\nA\nB\n"; }
    static std::string TwoBlockFile() { return "Lines:4\nA\nB\nC\nD\n"; }
    static std::vector<std::string> TwoBlocks() { return {"AB", "CD"}; }
    static constexpr uint32_t ClosingPause = 100;
    static constexpr bool CancelsTheSet = true;
    // What goes out between the handshake and the first block command, as the event log shows it.
    static constexpr const char* Announcement = nullptr;
};

struct BinaryProcedure {
    static constexpr auto Procedure = UploadProcedure::Binary;
    static constexpr auto Family = sim::Family::K47;
    static std::string ValidFile() { return test::Record(7); }
    static std::string TwoBlockFile() { return test::Record(7) + test::Record(9, 'k'); }
    static std::vector<std::string> TwoBlocks() { return {test::Record(7), test::Record(9, 'k')}; }
    static constexpr uint32_t ClosingPause = 200;
    static constexpr bool CancelsTheSet = false;
    static constexpr const char* Announcement = "AT^QNFS=3\\r";
};

UploadJob JobFor(const test::UploadRig& rig, UploadProcedure procedure) {
    return {.procedure = procedure,
            .filePath = rig.filePath,
            .portName = test::PortName,
            .baudRate = test::ConfiguredRate};
}

// What the module says: its own answer to the rate search's probe, then these to the handshake's
// "AT\r", one each.
std::vector<std::optional<std::string>> HandshakeAnswers(const std::vector<std::string>& replies) {
    std::vector<std::optional<std::string>> answers{std::nullopt};
    answers.insert(answers.end(), replies.begin(), replies.end());
    return answers;
}

template <typename Procedure>
class UploadExitPathsTest : public testing::Test {
  protected:
    test::UploadRig rig{Procedure::ValidFile(), {.family = Procedure::Family}};

    ResultCode Run(const std::string& path, const std::string& setName = "aud") {
        return rig.Run(Procedure::Procedure, path, setName);
    }
    ResultCode Run() { return Run(rig.filePath); }
};

struct ProcedureNames {
    template <typename T>
    static std::string GetName(int) {
        return std::is_same_v<T, TextProcedure> ? "Text" : "Binary";
    }
};
using Procedures = testing::Types<TextProcedure, BinaryProcedure>;
TYPED_TEST_SUITE(UploadExitPathsTest, Procedures, ProcedureNames);

TYPED_TEST(UploadExitPathsTest, SuccessEndsWithTheClosingSequencePortBeforeFile) {
    EXPECT_EQ(this->Run(), ResultOk);
    EXPECT_EQ(this->rig.Writes().back(), "AT^QMSO\r");
    EXPECT_EQ(this->rig.StepsAfterLastWrite(), test::ClosingSteps(TypeParam::ClosingPause));
    EXPECT_THAT(this->rig.port.fileOpenAtClose, ElementsAre(true));
    EXPECT_FALSE(this->rig.FileStillOpen());
}

// An adapter that cannot make the configured rate runs at the nearest it can: the module answers
// there, and the run goes on at it.
TYPED_TEST(UploadExitPathsTest, AnAdapterThatRoundsTheRateStillReachesTheModule) {
    constexpr uint32_t Rounded = 115384;
    test::UploadRig rig(TypeParam::ValidFile(), {.family = TypeParam::Family, .rate = Rounded});
    rig.port.RoundRate(test::ConfiguredRate, Rounded);
    EXPECT_EQ(rig.Run(TypeParam::Procedure), ResultOk);
    EXPECT_EQ(rig.outcome.rate, test::ConfiguredRate);
    EXPECT_EQ(rig.port.Rate(), Rounded);
    EXPECT_EQ(rig.Stored().size(), 1u);
}

TYPED_TEST(UploadExitPathsTest, AFileThatDoesNotOpenLeavesThePortAlone) {
    const std::string path = this->rig.filePath;
    // Only the whole name counts, not the file in front of a zero byte.
    for (const std::string& name :
         {std::string(), path + ".missing", this->rig.directory, path + '\0' + ".other"}) {
        EXPECT_EQ(this->Run(name), ResultFileOpenFailed) << name;
    }
    EXPECT_THAT(this->rig.fake.log.Events(), IsEmpty());
}

// Windows' own limit of 260 characters applies there; the program adds none of its own.
#ifndef _WIN32
TYPED_TEST(UploadExitPathsTest, OpensPathsLongerThanAnyFixedBuffer) {
    std::string path = this->rig.directory;
    for (int i = 0; i < 3; ++i) {
        path += "/" + std::string(100, 'd');
        std::filesystem::create_directory(path);
    }
    path += "/\xC3\xA9t\xC3\xA9.prm";
    std::filesystem::copy_file(this->rig.filePath, path);
    EXPECT_EQ(this->Run(path), ResultOk);
}
#endif

TYPED_TEST(UploadExitPathsTest, APortThatDoesNotOpenClosesTheFile) {
    this->rig.port.FailOpen();
    EXPECT_EQ(this->Run(), ResultPortUnavailable);
    EXPECT_THAT(this->rig.fake.log.LinesWithoutSleeps(),
                ElementsAre("Open " + std::string(test::PortName) + " 115200 failed"));
    EXPECT_FALSE(this->rig.FileStillOpen());
}

// The command refuses such names first; any other caller meets the same rule here.
TYPED_TEST(UploadExitPathsTest, ASetNameThatWouldBreakTheCommandTouchesNothing) {
    for (const std::string& name :
         {std::string(17, 's'), std::string("a,b"), std::string("a\rb")}) {
        EXPECT_EQ(this->Run(this->rig.filePath, name), ResultInvalidParameters) << name;
        EXPECT_THAT(this->rig.fake.log.Events(), IsEmpty());
    }

    const std::string longest(16, 's');
    EXPECT_EQ(this->Run(this->rig.filePath, longest), ResultOk);
    EXPECT_TRUE(this->rig.BlockCommands().front().starts_with("AT^QBNW=" + longest + ",0"));
}

// The module never answers at any rate, or answers the rate search but not the handshake:
// file closed, then the port; no switch-off command and no power-down.
TYPED_TEST(UploadExitPathsTest, AModuleThatDoesNotAnswerIsNotSwitchedOff) {
    const std::string notAfterReset =
        "the module answered AT at 115200 baud, but none of the 6 AT after its reset";
    const std::string noAnswer =
        "no answer to AT at 115200, 230400, 57600, 38400, 19200 baud (2 passes); ";
    const struct {
        const char* name;
        sim::ModemFaults faults;
        std::string detail;
    } modules[] = {
        {"silent",
         {.silent = true},
         noAnswer + "if the module runs at another rate, give it with corvane-update -b RATE"},
        // As one left in the middle of a text block: it takes every probe as text.
        {"echoing",
         {.answer = sim::Answer::None},
         noAnswer + "the module echoes but does not answer: it may still wait for the data of an "
                    "interrupted block; switch it off and on"},
        {"error",
         {.givenAnswers = HandshakeAnswers(std::vector<std::string>(6, "\r\nERROR\r\n"))},
         notAfterReset},
        {"silent after the probe", {.silentAfterCommands = 1}, notAfterReset},
    };
    for (const auto& [name, faults, detail] : modules) {
        SCOPED_TRACE(name);
        test::UploadRig rig(TypeParam::ValidFile(),
                            {.family = TypeParam::Family, .faults = faults});
        EXPECT_EQ(rig.Run(TypeParam::Procedure), ResultModemNotConnected);

        for (const std::string& write : rig.Writes()) {
            EXPECT_EQ(write, "AT\r");
        }
        if (detail == notAfterReset) {
            EXPECT_EQ(rig.Writes().size(), 1u + 6u) << "one probe, six handshakes";
        }
        EXPECT_EQ(rig.Count("Call RHA_RadioPwrOff"), 0u);
        EXPECT_EQ(rig.Count("Free RHA.DLL"), 1u);
        EXPECT_THAT(rig.port.fileOpenAtClose, ElementsAre(false));
        EXPECT_FALSE(rig.FileStillOpen());
        EXPECT_EQ(rig.outcome.detail, detail);
    }
}

TYPED_TEST(UploadExitPathsTest, TheHandshakeTakesOkOrAZeroAnywhere) {
    const std::vector<std::vector<std::string>> accepted = {
        {"0\r"}, {"ER0R"}, {"xxOKxx"}, {"E", "E", "E", "E", "E", "\r\nOK\r\n"}};
    for (const auto& replies : accepted) {
        SCOPED_TRACE(replies.back());
        test::UploadRig rig(
            TypeParam::ValidFile(),
            {.family = TypeParam::Family, .faults = {.givenAnswers = HandshakeAnswers(replies)}});
        EXPECT_EQ(rig.Run(TypeParam::Procedure), ResultOk);
        EXPECT_EQ(rig.Count("Write AT\\r"), replies.size() + 1);
    }
}

// Stop requested after the first block, and after the last one, when there is nothing left to
// stop.
TYPED_TEST(UploadExitPathsTest, StopsAtTheNextBlockBoundaryWithTheClosingSequence) {
    const std::vector<std::string> file = TypeParam::TwoBlocks();
    for (size_t stopAfter = 1; stopAfter <= file.size(); ++stopAfter) {
        SCOPED_TRACE("stop requested after block " + std::to_string(stopAfter));
        test::UploadRig rig(TypeParam::TwoBlockFile(), {.family = TypeParam::Family});
        rig.afterReport = [&rig, stopAfter] {
            if (rig.reports.size() == stopAfter) {
                rig.stop.Request();
            }
        };
        const UploadOutcome outcome = rig.Run(JobFor(rig, TypeParam::Procedure));

        const bool complete = stopAfter == file.size();
        EXPECT_EQ(outcome.code, ResultOk);
        EXPECT_EQ(outcome.stopped, !complete);
        EXPECT_EQ(rig.reports.size(), stopAfter);
        const bool cancelled = TypeParam::CancelsTheSet && !complete;
        const std::vector<std::string> kept(file.begin(),
                                            file.begin() + (cancelled ? 0 : stopAfter));
        EXPECT_EQ(rig.Stored(), kept) << "whole blocks only, and a cancelled set is dropped";
        EXPECT_EQ(rig.BlockCommands().size(), stopAfter + (cancelled ? 1 : 0))
            << "no block after the stop";

        const std::vector<std::string> writes = rig.Writes();
        ASSERT_GE(writes.size(), 2u);
        EXPECT_EQ(writes.back(), "AT^QMSO\r");
        EXPECT_EQ(writes.end()[-2] == test::Cancel, cancelled);
        EXPECT_EQ(rig.StepsAfterLastWrite(), test::ClosingSteps(TypeParam::ClosingPause));
        EXPECT_FALSE(rig.FileStillOpen());
    }
}

// A stop outside the blocks takes effect at the next probe or command. Before the handshake has
// passed the run ends as when the module does not answer: file closed, then the port, no
// switch-off command and no power-down. After it the closing sequence ends the run, and no block
// command goes out: the text procedure has no set begun to cancel.
TYPED_TEST(UploadExitPathsTest, AStopBeforeTheBlocksEndsAtTheNextProbeOrCommand) {
    const std::vector<std::string> reset = {"Call RHA_RadioPwrOn", "Dtr low", "Dtr high"};
    const auto after = [](std::vector<std::string> lines, const std::vector<std::string>& more) {
        lines.insert(lines.end(), more.begin(), more.end());
        return lines;
    };
    const std::vector<std::string> opened = {"Call RHA_Init"};
    const std::vector<std::string> probed = after(after(opened, reset), {"Write AT\\r"});
    const std::vector<std::string> handshake = after(after(probed, reset), {"Write AT\\r"});
    const std::vector<std::string> abandoned = {"Close", "Call RHA_DeInit"};
    const std::vector<std::string> closed = {"Write AT^QMSO\\r", "Call RHA_RadioPwrOff", "Close",
                                             "Call RHA_DeInit"};
    struct StopPoint {
        std::string name;
        sim::ModemFaults faults;
        // The stop is requested once the module has this many writes, 0: before the run.
        size_t stopAtWrite;
        std::vector<std::string> events;
        bool handshakePassed;
    };
    std::vector<StopPoint> points = {
        {"before the run", {}, 0, after(opened, abandoned), false},
        {"during the search",
         {.silent = true},
         3,
         after(after(probed, {"Write AT\\r", "Write AT\\r"}), abandoned),
         false},
        {"during the handshake",
         {.givenAnswers = HandshakeAnswers({"\r\nERROR\r\n"})},
         2,
         after(handshake, abandoned),
         false},
        {"as the handshake passes", {}, 2, after(handshake, closed), true},
    };
    if (TypeParam::Announcement != nullptr) {
        const std::string announced = TypeParam::Announcement;
        points.push_back({std::string("between ") + announced + " and the write command",
                          {},
                          3,
                          after(after(handshake, {"Write " + announced}), closed),
                          true});
    }
    for (const StopPoint& point : points) {
        SCOPED_TRACE(point.name);
        test::UploadRig rig(TypeParam::TwoBlockFile(),
                            {.family = TypeParam::Family, .faults = point.faults});
        if (point.stopAtWrite == 0) {
            rig.stop.Request();
        }
        size_t writes = 0;
        rig.port.afterWrite = [&] {
            if (++writes == point.stopAtWrite) {
                rig.stop.Request();
            }
        };
        const UploadOutcome outcome = rig.Run(JobFor(rig, TypeParam::Procedure));

        EXPECT_EQ(outcome.code, ResultOk);
        EXPECT_TRUE(outcome.stopped);
        EXPECT_EQ(rig.fake.log.Lines(
                      {EventKind::Write, EventKind::SetDtr, EventKind::Call, EventKind::Close}),
                  point.events);
        EXPECT_THAT(rig.BlockCommands(), IsEmpty());
        EXPECT_THAT(rig.reports, IsEmpty());
        EXPECT_THAT(rig.port.fileOpenAtClose, ElementsAre(point.handshakePassed));
        EXPECT_FALSE(rig.FileStillOpen());
    }
}

}  // namespace
}  // namespace corvane
