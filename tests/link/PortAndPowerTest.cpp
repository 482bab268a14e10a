#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <latch>
#include <string>
#include <thread>
#include <vector>

#include "link/ModuleLink.h"
#include "tests/support/FakePlatform.h"

namespace corvane {
namespace {

using test::EventKind;
using testing::ElementsAre;
using testing::ElementsAreArray;
using testing::IsEmpty;

class PortAndPowerTest : public testing::Test {
  protected:
    test::FakePlatform fake;
    ModuleLink link{fake.platform};
};

TEST_F(PortAndPowerTest, OpenLeavesRtsHighAndDtrLow) {
    ASSERT_TRUE(link.Open("COM3:", 115200));
    EXPECT_EQ(fake.port.Rate(), 115200u);
    EXPECT_TRUE(fake.port.RtsHigh());
    EXPECT_FALSE(fake.port.DtrHigh()) << "open must not raise DTR";
    link.Close();
}

TEST_F(PortAndPowerTest, LibraryIsInitialisedAfterRtsAndDeinitialisedBetweenCloseAndFree) {
    fake.libraries.Install("RHA_SWUP.DLL");
    fake.libraries.Install("RHA.DLL");

    ASSERT_TRUE(link.Open("COM3:", 115200));
    link.Close();

    EXPECT_THAT(fake.log.Lines(), ElementsAre("Open COM3: 115200", "Rts high", "Load RHA_SWUP.DLL",
                                              "Find RHA_RadioPwrOn", "Find RHA_RadioPwrOff",
                                              "Find RHA_Init", "Find RHA_DeInit", "Call RHA_Init",
                                              "Close", "Call RHA_DeInit", "Free RHA_SWUP.DLL"));
    EXPECT_FALSE(link.IsOpen());
}

// One open / power-on / power-off / close cycle with different libraries on the device.
struct LibraryCase {
    const char* name;
    std::vector<std::string> installed;
    std::vector<std::string_view> exports;
    std::vector<std::string> loads;
    std::vector<std::string> calls;
};

class PowerLibraryTest : public PortAndPowerTest,
                         public testing::WithParamInterface<LibraryCase> {};

TEST_P(PowerLibraryTest, CallsWhatTheLibraryExportsAndAlwaysPulsesDtr) {
    const LibraryCase& c = GetParam();
    for (const std::string& file : c.installed) {
        fake.libraries.Install(file, c.exports);
    }

    ASSERT_TRUE(link.Open("COM1:", 57600));
    EXPECT_TRUE(link.PowerOnAndReset());
    EXPECT_TRUE(fake.port.DtrHigh());
    EXPECT_TRUE(link.PowerOff());
    EXPECT_TRUE(fake.port.DtrHigh()) << "power-off leaves the port lines alone";
    link.Close();

    EXPECT_THAT(fake.log.Lines({EventKind::Load}), ElementsAreArray(c.loads));
    EXPECT_THAT(fake.log.Lines({EventKind::Call}), ElementsAreArray(c.calls));
    EXPECT_THAT(fake.log.Lines({EventKind::SetRts, EventKind::SetDtr, EventKind::Sleep}),
                ElementsAre("Rts high", "Dtr low", "Sleep 100", "Dtr high"));
}

const std::vector<std::string_view> AllFour(test::FakeLibraryLoader::EntryPointNames.begin(),
                                            test::FakeLibraryLoader::EntryPointNames.end());

INSTANTIATE_TEST_SUITE_P(
    Libraries, PowerLibraryTest,
    testing::Values(
        LibraryCase{"None", {}, {}, {"Load RHA_SWUP.DLL failed", "Load RHA.DLL failed"}, {}},
        LibraryCase{
            "GeneralOnly",
            {"RHA.DLL"},
            AllFour,
            {"Load RHA_SWUP.DLL failed", "Load RHA.DLL"},
            {"Call RHA_Init", "Call RHA_RadioPwrOn", "Call RHA_RadioPwrOff", "Call RHA_DeInit"}},
        LibraryCase{
            "UpdateBuildFirst",
            {"RHA.DLL", "RHA_SWUP.DLL"},
            AllFour,
            {"Load RHA_SWUP.DLL"},
            {"Call RHA_Init", "Call RHA_RadioPwrOn", "Call RHA_RadioPwrOff", "Call RHA_DeInit"}},
        LibraryCase{"PowerOnlyExports",
                    {"RHA_SWUP.DLL"},
                    {"RHA_RadioPwrOn", "RHA_RadioPwrOff"},
                    {"Load RHA_SWUP.DLL"},
                    {"Call RHA_RadioPwrOn", "Call RHA_RadioPwrOff"}},
        LibraryCase{"LifecycleOnlyExports",
                    {"RHA_SWUP.DLL"},
                    {"RHA_Init", "RHA_DeInit"},
                    {"Load RHA_SWUP.DLL"},
                    {"Call RHA_Init", "Call RHA_DeInit"}}),
    [](const auto& info) { return info.param.name; });

TEST_F(PortAndPowerTest, DtrIsHeldLowForOneHundredMilliseconds) {
    ASSERT_TRUE(link.Open("COM1:", 115200));
    link.PowerOnAndReset();
    link.Close();

    const auto dtr = fake.log.OfKind(EventKind::SetDtr);
    ASSERT_EQ(dtr.size(), 2u);
    EXPECT_EQ(dtr[1].time - dtr[0].time, 100u);
}

// Each way open can fail: false, the port closed again, no library loaded, no entry point run.
struct OpenFailure {
    const char* name;
    void (*arrange)(test::FakeSerialPort&);
    std::vector<std::string> calls;
};

class OpenFailureTest : public PortAndPowerTest, public testing::WithParamInterface<OpenFailure> {};

TEST_P(OpenFailureTest, ReleasesEverything) {
    fake.libraries.Install("RHA_SWUP.DLL");
    GetParam().arrange(fake.port);

    EXPECT_FALSE(link.Open("COM9:", 115200));

    EXPECT_THAT(fake.log.Lines(), ElementsAreArray(GetParam().calls));
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(fake.libraries.Loaded(), 0);
}

INSTANTIATE_TEST_SUITE_P(Failures, OpenFailureTest,
                         testing::Values(OpenFailure{"NoSuchPort",
                                                     [](test::FakeSerialPort& p) { p.FailOpen(); },
                                                     {"Open COM9: 115200 failed"}},
                                         OpenFailure{
                                             "RateRefused",
                                             [](test::FakeSerialPort& p) { p.RefuseRate(115200); },
                                             {"Open COM9: 115200 failed"}}),
                         [](const auto& info) { return info.param.name; });

TEST_F(PortAndPowerTest, SecondOpenReloadsTheLibraryAndInitialisesItAgain) {
    fake.libraries.Install("RHA.DLL");

    ASSERT_TRUE(link.Open("COM1:", 115200));
    link.Close();
    ASSERT_TRUE(link.Open("COM1:", 115200));
    link.Close();

    EXPECT_THAT(fake.log.Lines({EventKind::Load, EventKind::Free, EventKind::Call}),
                ElementsAre("Load RHA_SWUP.DLL failed", "Load RHA.DLL", "Call RHA_Init",
                            "Call RHA_DeInit", "Free RHA.DLL", "Load RHA_SWUP.DLL failed",
                            "Load RHA.DLL", "Call RHA_Init", "Call RHA_DeInit", "Free RHA.DLL"));
}

// Links on different threads, each over a platform of its own, overlap between open and close:
// each loads, calls and frees only its own library.
TEST(PowerLibraryPerLink, LinksOnTwoThreadsKeepTheirLibrariesApart) {
    constexpr int Links = 2;
    std::latch allOpen(Links);
    const auto cycle = [&allOpen](std::vector<std::string>& lines) {
        test::FakePlatform fake;
        fake.libraries.Install("RHA.DLL");
        ModuleLink link(fake.platform);
        if (link.Open("COM1:", 115200)) {
            allOpen.arrive_and_wait();
            link.PowerOnAndReset();
            link.PowerOff();
            link.Close();
        }
        lines = fake.log.Lines({EventKind::Load, EventKind::Free, EventKind::Call});
    };
    std::array<std::vector<std::string>, Links> lines;
    {
        std::vector<std::jthread> threads;
        for (auto& each : lines) {
            threads.emplace_back(cycle, std::ref(each));
        }
    }
    for (const auto& each : lines) {
        EXPECT_THAT(each, ElementsAre("Load RHA_SWUP.DLL failed", "Load RHA.DLL", "Call RHA_Init",
                                      "Call RHA_RadioPwrOn", "Call RHA_RadioPwrOff",
                                      "Call RHA_DeInit", "Free RHA.DLL"));
    }
}

TEST_F(PortAndPowerTest, SetBaudRateIsTrueOnlyWhenThePortRunsAtTheRequestedRate) {
    ASSERT_TRUE(link.Open("COM1:", 115200));

    EXPECT_TRUE(link.SetBaudRate(57600));
    fake.port.RefuseRate(9600);
    EXPECT_FALSE(link.SetBaudRate(9600));
    EXPECT_EQ(fake.port.Rate(), 57600u) << "a refused rate leaves the line as it was";
    fake.port.RoundRate(230400, 230769);
    EXPECT_FALSE(link.SetBaudRate(230400));
    EXPECT_EQ(fake.port.Rate(), 230769u) << "a rounded rate is not undone";
    link.Close();
}

TEST_F(PortAndPowerTest, ReadByteTakesWhatArrivedAndGivesUpWithinTwentyMilliseconds) {
    ASSERT_TRUE(link.Open("COM1:", 115200));
    uint8_t byte = 0;

    EXPECT_FALSE(link.ReadByte(byte));
    EXPECT_LE(fake.clock.Elapsed(), 20u);

    fake.port.Deliver("x");
    const uint64_t before = fake.clock.Elapsed();
    EXPECT_TRUE(link.ReadByte(byte));
    EXPECT_EQ(byte, 'x');
    EXPECT_EQ(fake.clock.Elapsed(), before);

    fake.port.Deliver("stale");
    EXPECT_TRUE(link.Purge());
    EXPECT_FALSE(link.ReadByte(byte)) << "bytes from before a purge are gone";

    fake.port.Deliver("y");
    fake.port.FailReads();
    EXPECT_FALSE(link.ReadByte(byte));
    EXPECT_EQ(byte, 'x') << "a failed read leaves the place alone";
    link.Close();
}

TEST_F(PortAndPowerTest, WriteReportsTheBytesWrittenOrNothing) {
    ASSERT_TRUE(link.Open("COM1:", 115200));
    const uint8_t bytes[] = {'A', 'T', '\r'};

    EXPECT_EQ(link.Write(bytes, 3), 3);
    fake.port.FailWrites();
    EXPECT_EQ(link.Write(bytes, 3), 0);
    EXPECT_THAT(fake.log.Lines({EventKind::Write}), ElementsAre("Write AT\\r", "Write AT\\r"));
    link.Close();
}

}  // namespace
}  // namespace corvane
