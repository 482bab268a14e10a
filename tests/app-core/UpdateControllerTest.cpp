// The window's rules against a fake view: what the controller asks of the view, in order, and
// what reaches the update. The update runs on its own thread with a scripted procedure; its posts
// are handed back on the test's thread, as a dialog's thread would.
#include "app/core/UpdateController.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>

#include "platform/SystemRegistry.h"
#include "platform/registry/MemoryRegistry.h"
#include "platform/registry/RegistryValues.h"
#include "tests/app-core/ScriptedProcedure.h"

namespace corvane::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::StartsWith;

std::string Bar(ProgressScale progress) {
    return "bar " + std::to_string(progress.position) + "/" + std::to_string(progress.range);
}

class FakeView : public UpdateView {
  public:
    int CheckedFamily() const override { return family; }
    void CheckFamily(int index) override {
        family = index;
        log.push_back("family " + std::to_string(index));
    }
    std::optional<ChosenFile> ChooseFile() override { return chosen; }
    void ShowFile(const std::string& name, const std::string& date,
                  const std::string& path) override {
        log.push_back("file " + name + " | " + date + " | " + path);
    }
    void SetProgress(ProgressScale progress) override { log.push_back(Bar(progress)); }
    void EnableStart(bool enabled) override { log.push_back(enabled ? "start on" : "start off"); }
    void BeginWaitCursor() override { log.push_back("wait on"); }
    void EndWaitCursor() override { log.push_back("wait off"); }
    void ShowBox(const Message& message) override { Show("box ", message); }
    bool Ask(const Message& message) override {
        Show("ask ", message);
        questionClosed = false;
        // What the dialog's thread serves while the question is open.
        if (whileAsking) {
            std::exchange(whileAsking, {})();
        }
        return yes && !questionClosed;
    }
    void CloseQuestion() override {
        log.push_back("question closed");
        questionClosed = true;
    }
    void ShowResult(const Message& message) override { Show("result ", message); }
    void End() override { log.push_back("end"); }

    void PostProgress(ProgressScale progress) override {
        std::lock_guard lock(mutex);
        posted.push_back(Bar(progress));
    }
    void PostRunEnded() override {
        std::lock_guard lock(mutex);
        posted.push_back("ended");
        arrived.notify_all();
    }

    // Waits for the end of the run and hands its posts over in order.
    void DeliverRun(UpdateController& controller) {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(arrived.wait_for(lock, std::chrono::seconds(10), [this] {
            return !posted.empty() && posted.back() == "ended";
        }));
        const std::vector<std::string> delivered = std::move(posted);
        posted.clear();
        lock.unlock();
        for (const std::string& post : delivered) {
            if (post == "ended") {
                controller.RunEnded();
            } else {
                log.push_back(post);
            }
        }
    }

    // What the controller did since the last call.
    std::vector<std::string> Take() { return std::exchange(log, {}); }

    int family = 0;
    std::optional<ChosenFile> chosen;
    bool yes = false;
    std::function<void()> whileAsking;
    std::vector<Message> shown;

  private:
    void Show(const char* kind, const Message& message) {
        log.push_back(kind + message.text);
        shown.push_back(message);
    }

    std::vector<std::string> log;
    bool questionClosed = false;
    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<std::string> posted;
};

// A file in a fresh folder, last written at noon local time of the given day.
class ScratchFile {
  public:
    ScratchFile(const std::string& name, int year, int month, int day)
        : folder(std::filesystem::temp_directory_path() /
                 ("corvane-core-" +
                  std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()))),
          path(folder / name) {
        std::filesystem::create_directories(folder);
        std::ofstream(path) << "Lines:0\n";
        std::tm local{};
        local.tm_year = year - 1900;
        local.tm_mon = month - 1;
        local.tm_mday = day;
        local.tm_hour = 12;
        local.tm_isdst = -1;
        std::filesystem::last_write_time(
            path, std::chrono::file_clock::from_sys(
                      std::chrono::system_clock::from_time_t(std::mktime(&local))));
    }
    ~ScratchFile() { std::filesystem::remove_all(folder); }
    ChosenFile Chosen() const { return {path.string(), path.filename().string()}; }

    std::filesystem::path folder;
    std::filesystem::path path;
};

class UpdateControllerTest : public ::testing::Test {
  protected:
    UpdateControllerTest() { SetSettings(true, true); }
    ~UpdateControllerTest() override { procedure.Release(); }

    void SetSettings(bool port, bool rate) {
        registry.Clear();
        const char* ril = "Software\\Microsoft\\RIL";
        if (port) {
            registry.SetValue(platform::HKEY_LOCAL_MACHINE, ril, "DataPortInternal",
                              platform::TextValue(u"COM7:"));
        }
        if (rate) {
            registry.SetValue(platform::HKEY_LOCAL_MACHINE, ril, "BaudRate",
                              platform::NumberValue(38400));
        }
    }

    bool Open(std::string registryProblem = {}, std::string givenFile = {},
              UpdateController::GivenSettings given = {}) {
        controller = std::make_unique<UpdateController>(
            view, UpdateController::Setup{registry, std::move(registryProblem),
                                          procedure.Procedure(), std::move(givenFile), given});
        return controller->Open();
    }

    // Starts an update, lets it end and dismisses its result; the job it ran.
    UploadJob RunOnce() {
        controller->StartUpdate();
        view.DeliverRun(*controller);
        controller->ResultDismissed();
        view.Take();
        return procedure.LastJob();
    }

    platform::MemoryRegistry registry;
    FakeView view;
    ScriptedProcedure procedure;
    std::unique_ptr<UpdateController> controller;
};

TEST_F(UpdateControllerTest, OpensWithTheFirstFamilyAnEmptyBarAndTheSettings) {
    Open();
    EXPECT_THAT(view.Take(), ElementsAre("family 0", "bar 0/100", "start on"));
    const UploadJob job = RunOnce();
    EXPECT_EQ(job.portName, "COM7:");
    EXPECT_EQ(job.baudRate, 38400u);
    EXPECT_EQ(job.setName, "aud");
    EXPECT_EQ(job.filePath, "");  // the update reports the missing file
}

TEST_F(UpdateControllerTest, MissingSettingsWarnOnceAndKeepWhatWasFound) {
    const std::string warning = "Registry key not present. Is the RIL properly installed?";
    struct Case {
        bool port, rate;
        std::string problem, text, portName;
    };
    const Case cases[] = {
        {false, true, "",
         warning +
             "\r\nno ParentPort under [HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\Multiplexer] nor "
             "DataPortInternal under [HKEY_LOCAL_MACHINE\\Software\\Microsoft\\RIL]",
         ""},
        {true, false, "",
         warning + "\r\nno BaudRate under [HKEY_LOCAL_MACHINE\\Software\\Microsoft\\RIL]", "COM7:"},
        {false, false, "/etc/corvane/registry.reg: line 3: a key line must end with ']'",
         warning + "\r\n/etc/corvane/registry.reg: line 3: a key line must end with ']'", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text + " " + c.portName);
        SetSettings(c.port, c.rate);
        view.shown.clear();
        Open(c.problem);
        // Then what to set, and where, or which options to give instead.
        EXPECT_THAT(view.Take(), ElementsAre("family 0", "bar 0/100", "start on",
                                             "box " + c.text + "\r\n" + platform::SettingsAdvice));
        ASSERT_EQ(view.shown.size(), 1u);
        EXPECT_EQ(view.shown[0].caption, "Audio Parameter Update");
        EXPECT_EQ(view.shown[0].icon, MessageIcon::Exclamation);
        const UploadJob job = RunOnce();
        EXPECT_EQ(job.portName, c.portName);
        EXPECT_EQ(job.baudRate, platform::DefaultBaudRate);
    }
}

TEST_F(UpdateControllerTest, GivenPortAndRateWinOverTheRegistryAndSpareTheWarning) {
    struct Case {
        bool port, rate;        // in the registry
        const char* givenPort;  // null: not given
        uint32_t givenRate;     // 0: not given
        bool warned;
        std::string portName;
        uint32_t baudRate;
    };
    const Case cases[] = {
        {false, false, "COM5", 57600, false, "COM5", 57600},
        {true, true, "COM5", 0, false, "COM5", 38400},
        {true, true, nullptr, 9600, false, "COM7:", 9600},
        // Given a port, a missing rate is still worth the warning: the default may be wrong.
        {false, false, "COM5", 0, true, "COM5", platform::DefaultBaudRate},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.portName + " " + std::to_string(c.baudRate));
        SetSettings(c.port, c.rate);
        view.shown.clear();
        UpdateController::GivenSettings given;
        if (c.givenPort != nullptr) {
            given.port = c.givenPort;
        }
        if (c.givenRate != 0) {
            given.baudRate = c.givenRate;
        }
        EXPECT_EQ(Open({}, {}, given), !c.warned);
        EXPECT_EQ(view.shown.size(), c.warned ? 1u : 0u);
        const UploadJob job = RunOnce();
        EXPECT_EQ(job.portName, c.portName);
        EXPECT_EQ(job.baudRate, c.baudRate);
    }
}

TEST_F(UpdateControllerTest, APortFailureNamesThePortAndWhereItCameFrom) {
    const std::string failed = "Audio Parameter Update failed!\r\nError code: ";
    struct Case {
        const char* givenPort;  // null: the registry's
        ResultCode code;
        std::string detail, text;
    };
    const Case cases[] = {
        {nullptr, ResultPortUnavailable, "COM7:: no such port",
         failed + "2\rCOM-Port not accessible or Baud rate not possible.\r\n"
                  "COM7:, the registry's DataPortInternal: no such port"},
        {nullptr, ResultModemNotConnected, "no answer to AT at 38400 baud",
         failed + "6\rPossibly modem not connected.\r\n"
                  "COM7:, the registry's DataPortInternal: no answer to AT at 38400 baud"},
        {"COM5", ResultPortUnavailable, "COM5: no such port",
         failed + "2\rCOM-Port not accessible or Baud rate not possible.\r\nCOM5: no such port"},
        {"COM5", ResultModemNotConnected, "no answer",
         failed + "6\rPossibly modem not connected.\r\nCOM5: no answer"},
        // Not about the line: the port stays out of it.
        {nullptr, ResultModemRejectedData, "the module answered ERROR",
         failed + "5\rModem didn't accept data.\r\nthe module answered ERROR"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        UpdateController::GivenSettings given;
        if (c.givenPort != nullptr) {
            given.port = c.givenPort;
        }
        Open({}, {}, given);
        procedure.code = c.code;
        procedure.detail = c.detail;
        controller->StartUpdate();
        view.Take();
        view.DeliverRun(*controller);
        EXPECT_EQ(view.Take().back(), "result " + c.text);
        controller->ResultDismissed();
    }
}

TEST_F(UpdateControllerTest, TheFamilyIsReadAtEachCommand) {
    struct Case {
        int atClick, atStart;
        UploadProcedure procedure;
    };
    // Neither button checked keeps what the last command stored, at first nothing ("" reads 0).
    const Case cases[] = {
        {0, 0, UploadProcedure::Text},
        {0, 1, UploadProcedure::Binary},
        {1, -1, UploadProcedure::Binary},
        {-1, -1, UploadProcedure::Text},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.atClick) + " then " + std::to_string(c.atStart));
        Open();
        view.family = c.atClick;
        controller->FamilyClicked();
        view.family = c.atStart;
        EXPECT_EQ(RunOnce().procedure, c.procedure);
    }
}

TEST_F(UpdateControllerTest, ProgressKeepsLow16BitsAndARangeOfAtLeastOne) {
    Open();
    procedure.reports = {{5, 0}, {1, 65538}, {0x10003, 10}};
    view.Take();
    controller->StartUpdate();
    view.DeliverRun(*controller);
    // The bar is full before the success box, and "Start Update" comes back when it is dismissed.
    EXPECT_THAT(view.Take(),
                ElementsAre("start off", "bar 0/100", "bar 5/1", "bar 1/2", "bar 3/10",
                            "bar 100/100", "result Audio Parameter Update successfull"));
    EXPECT_EQ(view.shown.back().icon, MessageIcon::Information);
    controller->ResultDismissed();
    EXPECT_THAT(view.Take(), ElementsAre("start on"));
}

TEST_F(UpdateControllerTest, AFailureLeavesTheBarWhereTheProcedureDid) {
    Open();
    procedure.reports = {{30, 60}};
    procedure.code = ResultModemRejectedData;
    view.Take();
    controller->StartUpdate();
    view.DeliverRun(*controller);
    EXPECT_THAT(view.Take(), ElementsAre("start off", "bar 0/100", "bar 30/60",
                                         "result Audio Parameter Update failed!\r\nError code: 5\r"
                                         "Modem didn't accept data."));
    EXPECT_EQ(view.shown.back().icon, MessageIcon::Exclamation);
}

TEST_F(UpdateControllerTest, NoSecondStartWhileAnUpdateRuns) {
    const ScratchFile file("a.prm", 2021, 3, 9);
    Open();
    procedure.hold = true;
    controller->StartUpdate();
    controller->StartUpdate();
    // A file that opens does not bring "Start Update" back during the run.
    view.chosen = file.Chosen();
    controller->SelectFile();
    EXPECT_EQ(view.Take().back(), "start off");
    procedure.Release();
    view.DeliverRun(*controller);
    view.Take();
    controller->StartUpdate();  // the result box is still open
    controller->ResultDismissed();
    EXPECT_THAT(view.Take(), ElementsAre("start on"));
    EXPECT_EQ(procedure.Runs(), 1);
    EXPECT_EQ(RunOnce().filePath, file.path.string());
    EXPECT_EQ(procedure.Runs(), 2);
}

TEST_F(UpdateControllerTest, AChosenFileShowsItsNameAndDateOrWarns) {
    const ScratchFile twoDots("audio.old.prm", 2021, 3, 9);
    const ScratchFile noDot("params", 2024, 12, 31);
    Open();
    view.Take();
    view.chosen = twoDots.Chosen();
    controller->SelectFile();
    EXPECT_THAT(view.Take(),
                ElementsAre("wait on", "start off",
                            "file audio.old | File Date: 2021/3/9 | " + twoDots.path.string(),
                            "wait off", "start on"));
    view.chosen = noDot.Chosen();
    controller->SelectFile();
    EXPECT_EQ(view.Take()[2], "file params | File Date: 2024/12/31 | " + noDot.path.string());

    // The box, named like every other, says which file and why; it comes while the wait cursor
    // is on, and the shown name and date stay.
    const std::string missing = (noDot.folder / "missing.prm").string();
    view.chosen = ChosenFile{missing, "missing.prm"};
    controller->SelectFile();
    EXPECT_THAT(view.Take(),
                ElementsAre("wait on", "start off",
                            "box Unable to open file!\r\n" + missing + ": no such file", "wait off",
                            "start off"));
    EXPECT_EQ(view.shown.back().caption, "Audio Parameter Update");
    EXPECT_EQ(view.shown.back().icon, MessageIcon::Exclamation);

    view.chosen.reset();
    controller->SelectFile();
    EXPECT_THAT(view.Take(), IsEmpty());
    EXPECT_EQ(RunOnce().filePath, missing);
}

TEST_F(UpdateControllerTest, AFileGivenAtStartIsTakenAfterTheSettingsAsIfChosen) {
    const ScratchFile file("audio.prm", 2022, 5, 17);
    const std::string whole = file.path.string();
    // Given with a detour, it is shown and run by its plain whole path.
    Open({}, (file.folder / ".." / file.folder.filename() / "audio.prm").string());
    EXPECT_THAT(
        view.Take(),
        ElementsAre("family 0", "bar 0/100", "start on", "wait on", "start off",
                    "file audio | File Date: 2022/5/17 | " + whole, "wait off", "start on"));
    EXPECT_EQ(RunOnce().filePath, whole);

    SetSettings(false, true);
    Open({}, whole + ".gone");
    EXPECT_THAT(view.Take(),
                ElementsAre("family 0", "bar 0/100", "start on",
                            StartsWith("box Registry key not present"), "wait on", "start off",
                            StartsWith("box Unable to open file!"), "wait off", "start off"));
}

TEST_F(UpdateControllerTest, ClosingDuringAnUpdateAsksAndEndsAfterItsResult) {
    const std::string question = "ask An update is running. Stop it after the current block?";
    Open();
    procedure.hold = true;
    controller->StartUpdate();
    view.Take();

    view.yes = false;
    controller->CloseRequested();
    EXPECT_THAT(view.Take(), ElementsAre(question));
    EXPECT_EQ(view.shown.back().icon, MessageIcon::Question);

    view.yes = true;
    controller->CloseRequested();
    controller->CloseRequested();  // asked once only
    EXPECT_THAT(view.Take(), ElementsAre(question, "wait on"));
    procedure.Release();
    view.DeliverRun(*controller);
    EXPECT_THAT(view.Take(),
                ElementsAre("wait off", StartsWith("result Audio Parameter Update stopped!")));
    controller->ResultDismissed();
    EXPECT_THAT(view.Take(), ElementsAre("start on", "end"));
}

TEST_F(UpdateControllerTest, ARunEndingUnderTheStopQuestionClosesItThenReportsAndEnds) {
    for (const bool wouldAnswerYes : {false, true}) {
        SCOPED_TRACE(wouldAnswerYes);
        Open();
        procedure.hold = true;
        controller->StartUpdate();
        view.Take();
        view.yes = wouldAnswerYes;
        view.whileAsking = [this] {
            procedure.Release();
            view.DeliverRun(*controller);
        };
        controller->CloseRequested();
        // Nothing of the result while the question is open; no stop, so no wait cursor.
        EXPECT_THAT(view.Take(),
                    ElementsAre(StartsWith("ask An update is running."), "question closed",
                                "bar 100/100", "result Audio Parameter Update successfull"));
        controller->CloseRequested();
        EXPECT_THAT(view.Take(), IsEmpty());
        controller->ResultDismissed();
        EXPECT_THAT(view.Take(), ElementsAre("start on", "end"));
    }
}

TEST_F(UpdateControllerTest, TheResultNamesTheRunsFileAndFamilyAndItsDetail) {
    struct Case {
        int family;
        ResultCode code;
        std::string detail, text;
    };
    const Case cases[] = {
        {0, ResultOk, "the file holds no data: nothing was written",
         "Audio Parameter Update successfull\r\nwritten.prm, Series K31 modules\r\nthe file holds "
         "no data: nothing was written"},
        {1, ResultOk, "", "Audio Parameter Update successfull\r\nwritten.prm, Series K47 modules"},
        {1, ResultModemRejectedData, "the module answered ERROR",
         "Audio Parameter Update failed!\r\nError code: 5\rModem didn't accept data.\r\n"
         "written.prm, Series K47 modules\r\nthe module answered ERROR"},
    };
    const ScratchFile written("written.prm", 2021, 3, 9);
    const ScratchFile other("other.prm", 2021, 3, 9);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Open();
        view.chosen = written.Chosen();
        controller->SelectFile();
        view.family = c.family;
        procedure.code = c.code;
        procedure.detail = c.detail;
        controller->StartUpdate();
        // The controls change before the run's end reaches the dialog; its report does not.
        view.family = 1 - c.family;
        controller->FamilyClicked();
        view.chosen = other.Chosen();
        controller->SelectFile();
        view.Take();
        view.DeliverRun(*controller);
        EXPECT_EQ(view.Take().back(), "result " + c.text);
        controller->ResultDismissed();
    }
}

TEST_F(UpdateControllerTest, ClosingWithoutAnUpdateEndsAtOnceOrWhenTheResultIsDismissed) {
    Open();
    view.Take();
    controller->CloseRequested();
    EXPECT_THAT(view.Take(), ElementsAre("end"));
    controller->StartUpdate();
    view.DeliverRun(*controller);
    view.Take();
    controller->CloseRequested();
    EXPECT_THAT(view.Take(), IsEmpty());
    controller->ResultDismissed();
    EXPECT_THAT(view.Take(), ElementsAre("start on", "end"));
}

}  // namespace
}  // namespace corvane::test
