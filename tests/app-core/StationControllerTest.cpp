// The station's rules against a fake view: many ports at once, the record beside the rows, a
// stop and a close during runs, a retry, and a watch whose ports come and go. The runs take
// their own threads; their posts are handed back on the test's thread, as a window's would be.
#include "app/core/StationArguments.h"
#include "app/core/StationController.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <thread>

namespace corvane::test {
namespace {

class FakeStation : public StationView {
  public:
    int CheckedFamily() const override { return family; }
    void CheckFamily(int index) override { family = index; }
    PortChoiceText ChosenPorts() const override { return ports; }
    void ShowPortChoice(const PortChoiceText& choice) override { ports = choice; }
    std::optional<ChosenFile> ChooseFile() override { return chosen; }
    std::optional<ChosenFile> ChooseRecordFile(const std::string&) override { return std::nullopt; }
    void ShowFile(const std::string& name, const std::string&, const std::string&) override {
        fileShown = name;
    }
    void ShowRecordFile(const std::string&, const std::string&) override {}
    void ShowRow(size_t index, const StationRow& row) override {
        ASSERT_LE(index, rows.size());
        if (index == rows.size()) {
            rows.push_back(row);
        }
        rows[index] = row;
    }
    void ShowCounts(const StationCounts& shown) override { counts = shown; }
    void ShowControls(const StationControls& shown) override { controls = shown; }
    std::optional<size_t> SelectedRow() const override { return selected; }
    void ShowBox(const Message& message) override { boxes.push_back(message.text); }
    bool Ask(const Message& message) override {
        questions.push_back(message.text);
        return yes;
    }
    void StartLooking(unsigned) override { looking = true; }
    void StopLooking() override { looking = false; }
    void End() override { ended = true; }
    void Post(std::function<void()> task) override {
        const std::lock_guard lock(mutex);
        posted.push_back(std::move(task));
        arrived.notify_all();
    }

    // Runs what the runs posted, on this thread, until done says so; between the batches, what
    // the window's timer would do.
    void Serve(const std::function<bool()>& done, const std::function<void()>& between = {}) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!done()) {
            ASSERT_LT(std::chrono::steady_clock::now(), until) << "the runs did not get there";
            if (between) {
                between();
            }
            std::unique_lock lock(mutex);
            arrived.wait_for(lock, std::chrono::milliseconds(20),
                             [this] { return !posted.empty(); });
            std::vector<std::function<void()>> tasks = std::move(posted);
            posted.clear();
            lock.unlock();
            for (const auto& task : tasks) {
                task();
            }
        }
    }

    int family = 0;
    PortChoiceText ports;
    std::optional<ChosenFile> chosen;
    std::string fileShown;
    std::vector<StationRow> rows;
    StationCounts counts;
    StationControls controls;
    std::optional<size_t> selected;
    std::vector<std::string> boxes;
    std::vector<std::string> questions;
    bool yes = false;
    bool looking = false;
    bool ended = false;

  private:
    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<std::function<void()>> posted;
};

// Stands in for the modules: each port's update reports a phase and progress, then ends with
// the code its port is given; a port that is held waits for a stop.
class Modules {
  public:
    StationController::Procedure Procedure() {
        return [this](const UploadJob& job, UploadObserver& observer, StopRequest& stop) {
            observer.Phase({.phase = UploadPhase::Writing, .block = 1, .blocks = 2});
            observer.Progress(1, 2);
            std::unique_lock lock(mutex);
            jobs.push_back(job);
            if (held) {
                changed.wait(lock, [&stop] { return stop.Requested(); });
                return UploadOutcome{.code = ResultOk, .stopped = true, .accepted = 1};
            }
            const int code = failing.count(job.portName) ? ResultModemNotConnected : ResultOk;
            return UploadOutcome{.code = static_cast<ResultCode>(code),
                                 .accepted = 2,
                                 .detail = code ? "no answer to AT" : ""};
        };
    }
    void WakeForStop() {
        // The stop is an atomic flag; the held runs look at it when woken.
        for (int i = 0; i < 100; ++i) {
            changed.notify_all();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    std::mutex mutex;
    std::condition_variable changed;
    std::set<std::string> failing;
    bool held = false;
    std::vector<UploadJob> jobs;
};

class StationTest : public ::testing::Test {
  protected:
    StationTest() {
        std::filesystem::create_directories(folder);
        std::ofstream(folder / "audio.prm") << "Lines:0\n";
        for (int i = 0; i < 8; ++i) {
            present.push_back({.device = "/dev/ttyUSB" + std::to_string(i),
                               .serialNumber = "FT" + std::to_string(i)});
        }
    }
    ~StationTest() override { std::filesystem::remove_all(folder); }

    std::unique_ptr<StationController> Open() {
        auto controller = std::make_unique<StationController>(
            view, StationController::Setup{
                      .procedure = modules.Procedure(),
                      .ports = {.listed = [this] { return present; },
                                .existing =
                                    [](const std::string&) { return std::vector<std::string>{}; }},
                      .recordPath = (folder / "records" / "updates.jsonl").string(),
                      .givenFile = (folder / "audio.prm").string()});
        controller->Open();
        return controller;
    }
    void ServeUntilIdle(StationController& controller) {
        view.Serve([&] { return view.counts.running == 0 && view.controls.startAll; });
        (void)controller;
    }
    // The record's lines, by result: "written", "failed", "stopped".
    std::map<std::string, size_t> RecordTally() {
        std::map<std::string, size_t> tally;
        std::ifstream record(folder / "records" / "updates.jsonl");
        for (std::string line; std::getline(record, line);) {
            const auto entry = nlohmann::json::parse(line);
            const bool stopped = entry.at("stopped").get<bool>();
            const int result = entry.at("result").get<int>();
            ++tally[stopped ? "stopped" : result == 0 ? "written" : "failed"];
        }
        return tally;
    }

    std::filesystem::path folder =
        std::filesystem::temp_directory_path() /
        ("corvane-station-" + std::to_string(::getpid()) + "-" +
         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::vector<platform::SerialPortInfo> present;
    FakeStation view;
    Modules modules;
};

TEST_F(StationTest, EightPortsOneFailingThenItsRetryAgreeWithTheRecord) {
    modules.failing = {"/dev/ttyUSB5"};
    const auto station = Open();
    view.family = 1;
    EXPECT_EQ(view.fileShown, "audio");
    station->StartAll();
    EXPECT_FALSE(view.controls.startAll);
    EXPECT_FALSE(view.controls.settings);
    ServeUntilIdle(*station);

    ASSERT_EQ(view.rows.size(), 8u);
    for (size_t i = 0; i < 8; ++i) {
        const StationRow& row = view.rows[i];
        EXPECT_EQ(row.serial, "FT" + row.port.substr(row.port.size() - 1));
        EXPECT_TRUE(row.phase.empty());
        if (row.port == "/dev/ttyUSB5") {
            EXPECT_EQ(row.state, RowState::Failed);
            EXPECT_EQ(row.result, "failed: 6 Possibly modem not connected.");
            EXPECT_EQ(row.detail, "no answer to AT");
        } else {
            EXPECT_EQ(row.state, RowState::Written) << row.port;
            EXPECT_EQ(row.result.rfind("written in ", 0), 0u) << row.result;
            EXPECT_EQ(row.progress.position, row.progress.range);
        }
    }
    EXPECT_EQ(view.counts.written, 7u);
    EXPECT_EQ(view.counts.failed, 1u);
    EXPECT_EQ(StationCountsText(view.counts), "7 written, 1 failed, 0 running");
    EXPECT_EQ(RecordTally(), (std::map<std::string, size_t>{{"failed", 1}, {"written", 7}}));
    for (const UploadJob& job : modules.jobs) {
        EXPECT_EQ(job.procedure, UploadProcedure::Binary);
    }

    // Only a failed row can be retried, and only it runs again.
    view.selected = 0;
    station->SelectionChanged();
    EXPECT_FALSE(view.controls.retry);
    view.selected = 5;
    station->SelectionChanged();
    EXPECT_TRUE(view.controls.retry);
    modules.failing.clear();
    station->RetryClicked();
    ServeUntilIdle(*station);
    EXPECT_EQ(modules.jobs.size(), 9u);
    EXPECT_EQ(modules.jobs.back().portName, "/dev/ttyUSB5");
    EXPECT_EQ(view.rows.size(), 8u);
    EXPECT_EQ(view.rows[5].state, RowState::Written);
    EXPECT_EQ(view.counts.written, 8u);
    EXPECT_EQ(RecordTally(), (std::map<std::string, size_t>{{"failed", 1}, {"written", 8}}));
}

TEST_F(StationTest, StopAndCloseStopEveryRunOnlyAfterYes) {
    modules.held = true;
    const auto station = Open();
    station->StartAll();
    view.Serve([&] { return view.counts.running == 8; });
    EXPECT_TRUE(view.controls.stop);

    station->StopClicked();
    station->CloseRequested();
    ASSERT_EQ(view.questions.size(), 2u);
    EXPECT_FALSE(view.ended);
    EXPECT_EQ(view.counts.running, 8u);

    view.yes = true;
    station->CloseRequested();
    modules.WakeForStop();
    view.Serve([&] { return view.ended; });
    EXPECT_EQ(view.counts.stopped, 8u);
    EXPECT_EQ(view.counts.running, 0u);
    for (const StationRow& row : view.rows) {
        EXPECT_EQ(row.state, RowState::Stopped);
    }
    EXPECT_EQ(RecordTally(), (std::map<std::string, size_t>{{"stopped", 8}}));
}

TEST_F(StationTest, WatchRunsEachPortAsItAppearsAndAgainWhenItComesBack) {
    present.resize(1);
    const auto station = Open();
    station->WatchClicked();
    EXPECT_TRUE(view.looking);
    EXPECT_TRUE(view.controls.watching);
    view.Serve([&] { return view.counts.written == 1; });

    // A port plugged in is run; one that stays is not run again.
    present.push_back({.device = "/dev/ttyACM0"});
    station->Look();
    station->Look();
    view.Serve([&] { return view.counts.written == 2; });
    ASSERT_EQ(view.rows.size(), 2u);
    EXPECT_EQ(view.rows[1].port, "/dev/ttyACM0");

    // Unplugged mid-run (its update fails), then plugged in again: its own row runs again.
    modules.failing = {"/dev/ttyACM0"};
    present.pop_back();
    station->Look();
    present.push_back({.device = "/dev/ttyACM0"});
    const auto look = [&] { station->Look(); };
    view.Serve([&] { return view.counts.failed == 1; }, look);
    modules.failing.clear();
    present.pop_back();
    station->Look();
    present.push_back({.device = "/dev/ttyACM0"});
    view.Serve([&] { return view.counts.written == 3 && view.counts.running == 0; }, look);
    EXPECT_EQ(view.rows.size(), 2u);
    EXPECT_EQ(view.rows[1].state, RowState::Written);

    station->WatchClicked();
    EXPECT_FALSE(view.looking);
    EXPECT_TRUE(view.controls.startAll);
    EXPECT_EQ(RecordTally(), (std::map<std::string, size_t>{{"failed", 1}, {"written", 3}}));
}

TEST_F(StationTest, NothingRunsWithoutAFileOrWithRulesThatDoNotRead) {
    auto station = std::make_unique<StationController>(
        view, StationController::Setup{.procedure = modules.Procedure(),
                                       .recordPath = (folder / "updates.jsonl").string()});
    station->Open();
    EXPECT_FALSE(view.controls.startAll);
    station->StartAll();
    view.chosen = ChosenFile{(folder / "audio.prm").string(), "audio.prm"};
    station->SelectFile();
    view.ports = {PortChoiceText::Kind::Match, "serial:"};
    station->StartAll();
    view.ports = {PortChoiceText::Kind::List, " , "};
    station->WatchClicked();
    ASSERT_EQ(view.boxes.size(), 3u);
    EXPECT_EQ(view.boxes[0], "Choose a parameter file (*.prm) first.");
    EXPECT_EQ(view.boxes[1].rfind("Ports to match: serial:", 0), 0u) << view.boxes[1];
    EXPECT_FALSE(view.looking);
    EXPECT_TRUE(modules.jobs.empty());
}

TEST(StationArguments, NameThePortsOrMatchThemNeverBoth) {
    using Kind = PortChoiceText::Kind;
    struct Case {
        std::vector<std::string> arguments;
        Kind kind;
        std::string text;
        std::string wrong;
    };
    const Case cases[] = {
        {{"--station", "a.prm"}, Kind::All, "", ""},
        {{"-p", "COM3", "--port", "COM4", "--record", "r.jsonl"}, Kind::List, "COM3 COM4", ""},
        {{"--match", "0403:6001", "--match", "serial:FT"}, Kind::Match, "0403:6001 serial:FT", ""},
        {{"-p", "COM3", "--match", "COM?"},
         Kind::List,
         "COM3",
         "--port and --match do not go together: name the ports, or match them."},
        {{"--baud", "0x10"},
         Kind::All,
         "",
         "--baud: RATE must be a decimal number from 1 to 4294967295"},
        {{"--record"}, Kind::All, "", "Missing value after '--record'."},
        {{"a.prm", "b.prm"}, Kind::All, "", "Unexpected argument: b.prm"},
    };
    for (const Case& c : cases) {
        const StationArguments given = ReadStationArguments(c.arguments);
        EXPECT_EQ(given.wrong, c.wrong) << c.arguments[0];
        if (c.wrong.empty()) {
            EXPECT_EQ(given.ports.kind, c.kind) << c.arguments[0];
            EXPECT_EQ(given.ports.text, c.text) << c.arguments[0];
        }
    }
}

}  // namespace
}  // namespace corvane::test
