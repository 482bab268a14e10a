#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "app/core/Message.h"
#include "app/core/UpdateView.h"
#include "upload/ProgressScale.h"

namespace corvane {

// How far a port's row has come; a finished row says it in words too, never by colour alone.
enum class RowState { Waiting, Running, Written, Failed, Stopped };

// One port of the station, as its row shows it.
struct StationRow {
    std::string port = {};    // the device, as the operator names it
    std::string serial = {};  // its USB serial number, empty where not known
    RowState state = RowState::Waiting;
    // "waiting", "finding the rate...", "writing block 3 of 20", "switching the module off";
    // empty once the row has a result.
    std::string phase = {};
    ProgressScale progress{0, 100};
    // "written in 16.4 s", "failed: 6 Possibly modem not connected.", "stopped: ..."; empty
    // while the update runs.
    std::string result = {};
    // The result's detail, for the row's tooltip; empty when there is none.
    std::string detail = {};
};

struct StationCounts {
    size_t written = 0;
    size_t failed = 0;
    size_t stopped = 0;
    size_t running = 0;
};

// Which ports take part, as the operator set it up: every port, those a match picks (--match
// rules), or a list of names.
struct PortChoiceText {
    enum class Kind { All, Match, List };
    Kind kind = Kind::All;
    std::string text;  // the rules or the names, separated by spaces or commas
};

// Which commands may be given now.
struct StationControls {
    bool settings = true;  // file, family, ports and record may be changed
    bool startAll = true;
    bool watching = false;  // the Watch button is down
    bool stop = false;
    bool retry = false;  // a failed or stopped row can be run again
};

// What the station's rules need of a window, in the rules' words; each toolkit's window
// implements it. Everything but Post is called on the window's thread.
class StationView {
  public:
    virtual ~StationView() = default;

    // 0 for K31, 1 for K47, -1 when neither is checked.
    virtual int CheckedFamily() const = 0;
    virtual void CheckFamily(int index) = 0;
    virtual PortChoiceText ChosenPorts() const = 0;
    virtual void ShowPortChoice(const PortChoiceText& choice) = 0;
    // Runs the file-open dialog; nothing when the operator cancelled.
    virtual std::optional<ChosenFile> ChooseFile() = 0;
    // Runs a save dialog for the record file (JSON Lines), starting at current; nothing when
    // the operator cancelled.
    virtual std::optional<ChosenFile> ChooseRecordFile(const std::string& current) = 0;
    // The chosen parameter file's name and date; its path for a tooltip.
    virtual void ShowFile(const std::string& name, const std::string& date,
                          const std::string& path) = 0;
    // The record file's name; its path for a tooltip.
    virtual void ShowRecordFile(const std::string& name, const std::string& path) = 0;

    // Shows the row; index == the number of rows shown adds it at the end.
    virtual void ShowRow(size_t index, const StationRow& row) = 0;
    virtual void ShowCounts(const StationCounts& counts) = 0;
    virtual void ShowControls(const StationControls& controls) = 0;
    // The row the operator has selected, if any.
    virtual std::optional<size_t> SelectedRow() const = 0;

    // A box owned by the window; returns once it has been dismissed.
    virtual void ShowBox(const Message& message) = 0;
    // A Yes/No question, No the default answer; true for Yes. The window's thread goes on
    // serving events while it is open, so calls may arrive meanwhile.
    virtual bool Ask(const Message& message) = 0;
    // While watching: calls StationController::Look on the window's thread every period, until
    // StopLooking.
    virtual void StartLooking(unsigned milliseconds) = 0;
    virtual void StopLooking() = 0;
    // Ends the window.
    virtual void End() = 0;

    // From any thread, without waiting for the window's thread: queues the task, which the
    // window's thread then runs, tasks in the order they were posted.
    virtual void Post(std::function<void()> task) = 0;
};

}  // namespace corvane
