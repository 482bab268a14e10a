// The link's radio power control through the real dynamic loader, against stand-in libraries
// found by the loader's normal search. ctest runs each suite with LD_LIBRARY_PATH set to the
// directory of its situation (see CMakeLists.txt); elsewhere the suites skip.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "link/ModuleLink.h"
#include "platform/posix/DlLibraryLoader.h"
#include "platform/posix/PosixSerialPort.h"
#include "sim/PseudoTerminal.h"
#include "tests/support/VirtualClock.h"

namespace corvane {
namespace {

using Lines = std::vector<std::string>;

class PowerLibrary : public ::testing::Test {
  protected:
    explicit PowerLibrary(const char* situation) : situation(situation) {}

    void SetUp() override {
        const char* searched = std::getenv("LD_LIBRARY_PATH");
        if (searched == nullptr || !std::string_view(searched).ends_with("/power/" + situation)) {
            GTEST_SKIP() << "needs LD_LIBRARY_PATH=<build>/tests/platform/power/" << situation
                         << " (set by ctest)";
        }
        std::string error;
        ASSERT_TRUE(pty.Open(115200, error)) << error;
        logPath = ::testing::TempDir() + "corvane-rha-" + situation + ".log";
        std::remove(logPath.c_str());
        setenv("CORVANE_RHA_LOG", logPath.c_str(), 1);
    }

    void TearDown() override { std::remove(logPath.c_str()); }

    Lines Logged() const {
        Lines lines;
        std::ifstream log(logPath);
        for (std::string line; std::getline(log, line);) {
            lines.push_back(line);
        }
        return lines;
    }

    // What one update asks of the power library: open, two resets, power off, close.
    void RunSession() {
        ModuleLink link(platform);
        ASSERT_TRUE(link.Open(pty.SlavePath(), 115200));
        EXPECT_TRUE(link.PowerOnAndReset());
        EXPECT_TRUE(link.PowerOnAndReset());
        EXPECT_TRUE(link.PowerOff());
        link.Close();
    }

    static Lines Session(const std::string& tag, const Lines& calls) {
        Lines lines{tag + " load"};
        for (const std::string& call : calls) {
            lines.push_back(tag + " " + call);
        }
        lines.push_back(tag + " unload");
        return lines;
    }

    const std::string situation;
    std::string logPath;
    sim::PseudoTerminal pty;
    platform::posix::PosixSerialPort port;
    test::VirtualClock clock;
    platform::posix::DlLibraryLoader loader;
    platform::Platform platform{port, clock, loader};
};

const Lines EveryCall = {"RHA_Init", "RHA_RadioPwrOn", "RHA_RadioPwrOn", "RHA_RadioPwrOff",
                         "RHA_DeInit"};

struct Situation_both : PowerLibrary {
    Situation_both() : PowerLibrary("both") {}
};
struct Situation_general : PowerLibrary {
    Situation_general() : PowerLibrary("general") {}
};
struct Situation_partial : PowerLibrary {
    Situation_partial() : PowerLibrary("partial") {}
};
struct Situation_none : PowerLibrary {
    Situation_none() : PowerLibrary("none") {}
};

TEST_F(Situation_both, UpdateLibraryWinsAndEachOpenLoadsItAfresh) {
    RunSession();
    RunSession();
    const Lines once = Session("SWUP", EveryCall);
    Lines expected = once;
    expected.insert(expected.end(), once.begin(), once.end());
    EXPECT_EQ(Logged(), expected);
}

TEST_F(Situation_both, LoaderFindsByBareNameLooksUpAndFrees) {
    ModuleLink link(platform);
    EXPECT_FALSE(link.Open("/dev/corvane-missing", 115200)) << "and loads nothing";

    platform::LibraryHandle library = loader.Load("RHA.DLL");
    ASSERT_NE(library, nullptr);
    const platform::EntryPoint init = loader.Find(library, "RHA_Init");
    ASSERT_NE(init, nullptr);
    init();
    EXPECT_EQ(loader.Find(library, "RHA_Missing"), nullptr);
    EXPECT_EQ(loader.Find(nullptr, "RHA_Init"), nullptr);
    loader.Free(library);
    EXPECT_EQ(loader.Load("RHA_ABSENT.DLL"), nullptr);
    EXPECT_EQ(Logged(), Session("RHA", {"RHA_Init"}));
}

TEST_F(Situation_general, GeneralLibraryIsUsedWhenAlone) {
    RunSession();
    EXPECT_EQ(Logged(), Session("RHA", EveryCall));
}

TEST_F(Situation_partial, MissingEntryPointsAreSkipped) {
    RunSession();
    EXPECT_EQ(Logged(), Session("SWUP", {"RHA_RadioPwrOn", "RHA_RadioPwrOn", "RHA_DeInit"}));
}

TEST_F(Situation_none, LinkWorksWithoutAnyLibrary) {
    RunSession();
    EXPECT_EQ(Logged(), Lines{});
    EXPECT_EQ(clock.Sleeps(), (std::vector<uint32_t>{100, 100})) << "DTR is still pulsed";
}

}  // namespace
}  // namespace corvane
