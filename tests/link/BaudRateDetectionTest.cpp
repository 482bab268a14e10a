#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/link/LinkTestFixture.h"
#include "tests/support/FakeModem.h"
#include "tests/support/ScriptedReplies.h"

namespace corvane {
namespace {

using test::EventKind;
using testing::ElementsAreArray;

constexpr uint32_t Configured = 115200;

class BaudRateDetectionTest : public test::OpenLinkTest {
  protected:
    BaudRateDetectionTest() { fake.libraries.Install("RHA.DLL"); }

    // The search as a list of steps: "reset" for each power-on-and-reset, the rate of each
    // probe, and "set <rate>" for a final rate change that is not a probe.
    std::vector<std::string> Steps() const {
        std::vector<std::string> steps;
        const auto& events = fake.log.Events();
        for (size_t i = 0; i < events.size(); ++i) {
            const test::Event& e = events[i];
            if (e.kind == EventKind::Call && e.text == "RHA_RadioPwrOn") {
                steps.push_back("reset");
            } else if (e.kind == EventKind::SetRate) {
                const bool probe = i + 2 < events.size() && events[i + 2].kind == EventKind::Write;
                const std::string rate = std::to_string(e.value);
                steps.push_back(probe ? rate : "set " + rate);
            }
        }
        return steps;
    }
};

TEST_F(BaudRateDetectionTest, ProbeSetsTheRatePurgesWritesWaitsAndReads) {
    test::FakeModem module(fake.port, {});

    EXPECT_EQ(link.DetectBaudRate(Configured), 115200u);

    EXPECT_THAT(fake.log.Lines(),
                ElementsAreArray({"Call RHA_RadioPwrOn", "Dtr low", "Sleep 100", "Dtr high",
                                  "SetRate 115200", "Purge", "Write AT\\r", "Sleep 200"}));
    EXPECT_EQ(fake.port.PendingBytes(), 0u) << "the whole answer was read";
}

// Modules answering at one rate or at any (0), perhaps not to the first probe they hear, the
// configured rate being 115200 unless given.
struct SearchCase {
    const char* name;
    sim::ModemOptions module;
    std::optional<uint32_t> result;
    std::vector<std::string> steps;
    uint32_t configured = Configured;
};

const sim::ModemFaults MissesFirstProbe{.firstAnswerOnly = true, .answer = sim::Answer::None};
const sim::ModemFaults Silent{.silent = true};

class BaudRateSearchTest : public BaudRateDetectionTest,
                           public testing::WithParamInterface<SearchCase> {};

TEST_P(BaudRateSearchTest, ProbesInOrderAndLeavesThePortAtTheResult) {
    const SearchCase& c = GetParam();
    test::FakeModem module(fake.port, c.module);

    EXPECT_EQ(link.DetectBaudRate(c.configured), c.result);

    EXPECT_THAT(Steps(), ElementsAreArray(c.steps));
    if (c.result) {
        EXPECT_EQ(fake.port.Rate(), *c.result);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Searches, BaudRateSearchTest,
    testing::Values(SearchCase{"ConfiguredRateAnswers", {}, 115200, {"reset", "115200"}},
                    SearchCase{"Only57600",
                               {.rate = 57600},
                               57600,
                               {"reset", "115200", "230400", "57600", "115200", "set 57600"}},
                    SearchCase{"ConfirmingProbeWins",
                               {.rate = 0, .faults = MissesFirstProbe},
                               115200,
                               {"reset", "115200", "230400", "115200"}},
                    SearchCase{"SecondPassAfterReset",
                               {.faults = MissesFirstProbe},
                               115200,
                               {"reset", "115200", "230400", "57600", "38400", "19200", "reset",
                                "115200"}},
                    SearchCase{"NoModule",
                               {.faults = Silent},
                               std::nullopt,
                               {"reset", "9600", "230400", "115200", "57600", "38400", "19200",
                                "reset", "9600", "230400", "115200", "57600", "38400", "19200"},
                               9600},
                    SearchCase{"NoModuleConfiguredIsACandidate",
                               {.faults = Silent},
                               std::nullopt,
                               {"reset", "57600", "230400", "115200", "38400", "19200", "reset",
                                "57600", "230400", "115200", "38400", "19200"},
                               57600}),
    [](const auto& info) { return info.param.name; });

// What a probe's capture must hold to count as an answer; the echo of "AT\r" is part of it.
struct AnswerCase {
    const char* name;
    std::string answer;
    bool answered;
};

class ProbeAnswerTest : public BaudRateDetectionTest,
                        public testing::WithParamInterface<AnswerCase> {};

TEST_P(ProbeAnswerTest, OkWithLineEndOrZeroAnywhere) {
    test::ScriptedReplies module(fake.port, {GetParam().answer}, true);

    EXPECT_EQ(link.DetectBaudRate(Configured),
              GetParam().answered ? std::optional<uint32_t>(115200) : std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(Answers, ProbeAnswerTest,
                         testing::Values(AnswerCase{"Verbose", "\r\nOK\r\n", true},
                                         AnswerCase{"Numeric", "0\r", true},
                                         AnswerCase{"ZeroInsideAnError", "\r\nERROR 10\r\n", true},
                                         AnswerCase{"OkWithoutLineEnd", "\r\nOK", false},
                                         AnswerCase{"Error", "\r\nERROR\r\n", false},
                                         AnswerCase{"EchoOnly", "", false}),
                         [](const auto& info) { return info.param.name; });

// Whether the module echoes, from the capture of the probe it answered (echo written out here):
// only an answer standing first, with no echo anywhere, means none. A module that does echo but
// is taken for one that does not would have its echo read as its reply.
TEST_F(BaudRateDetectionTest, OnlyAnAnswerStandingFirstMeansNoEcho) {
    const struct {
        std::string capture;
        bool echoes;
    } cases[] = {
        {"\r\nOK\r\n", false},        // verbose
        {"0\r", false},               // numeric
        {"AT\r\r\nOK\r\n", true},     // echo, then the answer
        {"\r\nOK\r\nAT\r0\r", true},  // a late answer from before, then echo
        {"T\r\r\nOK\r\n", true},      // a garbled echo
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.capture);
        test::ScriptedReplies module(fake.port, {c.capture});
        ASSERT_EQ(link.DetectBaudRate(Configured), Configured);
        EXPECT_EQ(link.Echoes(), c.echoes);
    }
}

TEST_F(BaudRateDetectionTest, ProbeCaptureHoldsAtMost1999Bytes) {
    // Echo and 1996 bytes of filler fill the capture; the marker behind them is never seen.
    test::FakeModem module(fake.port, {.rate = 0, .faults = {.longReply = 1996}});

    EXPECT_EQ(link.DetectBaudRate(9600), std::nullopt);
    EXPECT_EQ(fake.log.OfKind(EventKind::Write).size(), 12u);
    // Each probe reads 1999 bytes and drops one; the next probe's purge clears the rest.
    EXPECT_EQ(fake.port.PendingBytes(), 3u + 1996u + 6u - 2000u);
}

}  // namespace
}  // namespace corvane
