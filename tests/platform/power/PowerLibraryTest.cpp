// The link's radio power control through the system's real loader, against stand-in libraries
// that the loader's search finds (or must miss). ctest runs each suite where its situation's
// stand-ins are searched: on Windows a copy of the program sits in the situation's folder, on
// Linux LD_LIBRARY_PATH points there (see CMakeLists.txt); elsewhere the suites skip.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "link/ModuleLink.h"
#include "tests/support/EventLog.h"
#include "tests/support/FakeSerialPort.h"
#include "tests/support/VirtualClock.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/win32/WinLibraryLoader.h"
using SystemLibraryLoader = corvane::platform::win32::WinLibraryLoader;
#else
#include "platform/posix/DlLibraryLoader.h"
using SystemLibraryLoader = corvane::platform::posix::DlLibraryLoader;
#endif

namespace corvane {
namespace {

using Lines = std::vector<std::string>;

// Tells the stand-ins where to write what happens to them (RadioPowerStub.cpp).
void SetPowerLog(const std::string& path) {
#ifdef _WIN32
    _putenv_s("CORVANE_RHA_LOG", path.c_str());
#else
    setenv("CORVANE_RHA_LOG", path.c_str(), 1);
#endif
}

// The folder whose stand-ins the system's search takes: the program's own on Windows, the
// current one on Linux, where ctest points LD_LIBRARY_PATH at it.
std::filesystem::path SearchedFolder() {
#ifdef _WIN32
    wchar_t program[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    return std::filesystem::path(program).parent_path();
#else
    return std::filesystem::current_path();
#endif
}

class PowerLibrary : public ::testing::Test {
  protected:
    using Folder = std::filesystem::path (*)();
    explicit PowerLibrary(const char* situation, Folder folder = SearchedFolder)
        : situation(situation), folder(folder) {}

    void SetUp() override {
        if (folder().filename() != situation) {
            GTEST_SKIP() << "needs to run in <build>/tests/platform/power/" << situation
                         << " (ctest does that)";
        }
        // One log per test: ctest runs the tests of one situation side by side.
        logPath = ::testing::TempDir() + "corvane-rha-" + situation + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".log";
        std::remove(logPath.c_str());
        SetPowerLog(logPath);
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
        ASSERT_TRUE(link.Open("COM3:", 115200));
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
    const Folder folder;
    std::string logPath;
    test::VirtualClock clock;
    test::EventLog events;
    test::FakeSerialPort port{clock, events};
    SystemLibraryLoader loader;
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
// A stand-in in the current folder only, as one could come along with a downloaded file.
struct Situation_planted : PowerLibrary {
    Situation_planted() : PowerLibrary("planted", [] { return std::filesystem::current_path(); }) {}
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
    port.FailOpen();
    EXPECT_FALSE(link.Open("COM3:", 115200)) << "and loads nothing";

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

TEST_F(Situation_planted, BareNameNeverLoadsFromTheCurrentFolder) {
    RunSession();
    EXPECT_EQ(loader.Load("RHA.DLL"), nullptr);
    EXPECT_EQ(Logged(), Lines{});

    // The stand-in itself loads when named by its path: only the search passes it by.
    platform::LibraryHandle library =
        loader.Load((std::filesystem::current_path() / "RHA.DLL").string().c_str());
    ASSERT_NE(library, nullptr);
    loader.Free(library);
    EXPECT_EQ(Logged(), (Lines{"PLANTED load", "PLANTED unload"}));
}

}  // namespace
}  // namespace corvane
