#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "app/core/StationView.h"
#include "line/PortRuns.h"
#include "line/PortSelection.h"
#include "line/PortWatch.h"
#include "line/UpdateRecorder.h"
#include "platform/registry/ConnectionSettings.h"
#include "upload/StopRequest.h"
#include "upload/UploadJob.h"

namespace corvane {

// The station's rules, whichever toolkit draws it: a production line's screen with one row per
// port. The parameter file, the family, the ports that take part and the record file are set up
// once; "Start all" updates every port that takes part at once, "Watch" each module as its port
// appears; every update goes into the record; a failed row can be run again; "Stop" and closing
// stop every run at its next safe point after one question. It runs on the window's thread; the
// runs' threads reach the view only through its Post.
class StationController {
  public:
    using Procedure = std::function<UploadOutcome(const UploadJob&, UploadObserver&, StopRequest&)>;

    struct Setup {
        // One port's update (line::RunLineUpdate on the running system).
        Procedure procedure;
        line::PortSource ports = {};
        // The rate tried first by each run's search.
        uint32_t baudRate = platform::DefaultBaudRate;
        // The record file shown at start (--record, else one in the user's data folder).
        std::string recordPath;
        // Taken when the window opens, as if chosen there; empty or All for none.
        std::string givenFile = {};
        PortChoiceText givenPorts = {};
    };

    // How often a watch looks for new ports, besides what the system tells.
    static constexpr unsigned LookEveryMs = 200;

    StationController(StationView& view, Setup setup);
    // Every run is stopped at its next safe point and waited for; nothing more is shown.
    ~StationController();
    StationController(const StationController&) = delete;
    StationController& operator=(const StationController&) = delete;

    // The window's initialisation: the first family checked, the given ports, file and record.
    void Open();

    // The operator's commands.
    void SelectFile();
    void SelectRecordFile();
    void StartAll();
    // Turns the watch on, or off (runs under way go on).
    void WatchClicked();
    void StopClicked();
    // Runs the selected row's port again, when its update failed or was stopped.
    void RetryClicked();
    void SelectionChanged();
    // The close box: at once without runs, else after the stop question, once the runs ended.
    void CloseRequested();
    // The watch's look for new ports, every LookEveryMs while watching.
    void Look();

  private:
    class Events;
    struct Row {
        StationRow shown;
        platform::SerialPortInfo port;
    };

    // The settings the runs take from the window, read at each start; false, with a box, when
    // one is missing or does not read.
    bool ReadSettings();
    // The parameter file chosen or given: shown when it opens, else said why not.
    void TakeFile(const ChosenFile& chosen);
    bool OpenRecord();
    size_t RowOf(const platform::SerialPortInfo& port);
    void RunStarted(size_t slot, const platform::SerialPortInfo& port);
    void RunPhase(size_t slot, const PhaseReport& report);
    void RunProgress(size_t slot, uint32_t position, uint32_t range);
    void RunFinished(size_t slot, const line::PortResult& result);
    // Asks the stop question; true when the runs were told to stop.
    bool AskToStop();
    void EndWatch();
    void UpdateControls();
    void Show(size_t row);
    UploadJob Job(const std::string& port);

    StationView& view;
    Setup setup;
    std::string filePath;
    std::string recordPath;
    bool fileOpens = false;
    // Of the settings last read; the runs' threads read it under the mutex.
    std::mutex jobMutex;
    UploadJob jobTemplate;
    std::optional<line::PortSelection> selection;

    std::vector<Row> rows;
    std::vector<size_t> slotRow;
    StationCounts counts;
    // Runs started and not yet seen to finish on the window's thread.
    size_t pending = 0;
    bool closing = false;
    bool asking = false;

    // Each posted task holds it weakly: one that comes after the controller has gone does nothing.
    std::shared_ptr<StationController*> self;
    std::unique_ptr<Events> events;
    std::unique_ptr<line::UpdateRecorder> recorder;
    std::string recorderPath;
    StopRequest stop;
    // Last: its destruction waits for the runs, which use all the above.
    std::unique_ptr<line::PortRuns> runs;
    std::optional<line::PortWatch> watch;
};

// "5 written, 1 failed, 2 running", with ", 1 stopped" when any were.
std::string StationCountsText(const StationCounts& counts);

}  // namespace corvane
