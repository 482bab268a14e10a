#include "app/core/StationController.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>

#include "app/core/ChosenFileText.h"
#include "app/core/ParameterFileCheck.h"
#include "line/RunText.h"

namespace corvane {
namespace {

constexpr const char* StationCaption = "Corvane station";
constexpr const char* StopQuestion = "Updates are running. Stop every one after its current block?";

Message Box(std::string text) {
    return {std::move(text), StationCaption, MessageIcon::Exclamation};
}

std::string FileName(const std::string& path) {
    const std::u8string name =
        std::filesystem::path(std::u8string(path.begin(), path.end())).filename().u8string();
    return {name.begin(), name.end()};
}

}  // namespace

// From the runs' threads: each event to the window's thread; each update's line to the record
// first, on the run's own thread, so that it is on the disk before the row shows the result.
class StationController::Events final : public line::LineEvents {
  public:
    explicit Events(StationController& owner) : owner(owner), alive(owner.self) {}

    void Started(size_t slot, const platform::SerialPortInfo& port) override {
        Post([slot, port](StationController& c) { c.RunStarted(slot, port); });
    }
    void Phase(size_t slot, const PhaseReport& report) override {
        Post([slot, report](StationController& c) { c.RunPhase(slot, report); });
    }
    void Progress(size_t slot, uint32_t position, uint32_t range) override {
        Post([slot, position, range](StationController& c) {
            c.RunProgress(slot, position, range);
        });
    }
    void Finished(size_t slot, const line::PortResult& result) override {
        line::PortResult recorded = result;
        if (owner.recorder) {
            const std::string problem = owner.recorder->Add(owner.Job(result.port.device), result);
            if (!problem.empty()) {
                recorded.outcome.detail += (recorded.outcome.detail.empty() ? "" : "\n") +
                                           std::string("not in the record: ") + problem;
            }
        }
        Post([slot, recorded](StationController& c) { c.RunFinished(slot, recorded); });
    }

  private:
    template <typename Task>
    void Post(Task task) {
        owner.view.Post([alive = alive, task = std::move(task)] {
            if (const auto controller = alive.lock()) {
                task(**controller);
            }
        });
    }

    StationController& owner;
    std::weak_ptr<StationController*> alive;
};

StationController::StationController(StationView& view, Setup setup)
    : view(view),
      setup(std::move(setup)),
      recordPath(this->setup.recordPath),
      self(std::make_shared<StationController*>(this)) {
    events = std::make_unique<Events>(*this);
    runs = std::make_unique<line::PortRuns>(
        [this](const platform::SerialPortInfo& port, UploadObserver& observer,
               StopRequest& stopping) {
            return this->setup.procedure(Job(port.device), observer, stopping);
        },
        *events, stop);
}

StationController::~StationController() {
    stop.Request();
    watch.reset();
    runs.reset();
}

void StationController::Open() {
    view.CheckFamily(0);
    view.ShowPortChoice(setup.givenPorts);
    view.ShowRecordFile(FileName(recordPath), recordPath);
    if (!setup.givenFile.empty()) {
        TakeFile(GivenFile(setup.givenFile));
    }
    view.ShowCounts(counts);
    UpdateControls();
}

void StationController::SelectFile() {
    if (const std::optional<ChosenFile> chosen = view.ChooseFile()) {
        TakeFile(*chosen);
        UpdateControls();
    }
}

void StationController::TakeFile(const ChosenFile& chosen) {
    filePath = chosen.path;
    std::string problem;
    const std::optional<FileDate> date = CheckParameterFile(filePath, problem);
    fileOpens = date.has_value();
    if (date) {
        view.ShowFile(NameBeforeLastDot(chosen.name), DateText(*date), filePath);
    } else {
        view.ShowFile("", "", "");
        view.ShowBox(Box("Unable to open file!\r\n" + filePath + ": " + problem));
    }
}

void StationController::SelectRecordFile() {
    const std::optional<ChosenFile> chosen = view.ChooseRecordFile(recordPath);
    if (chosen) {
        recordPath = chosen->path;
        view.ShowRecordFile(chosen->name, recordPath);
    }
}

bool StationController::ReadSettings() {
    if (!fileOpens) {
        view.ShowBox(Box("Choose a parameter file (*.prm) first."));
        return false;
    }
    const int family = view.CheckedFamily();
    if (family < 0) {
        view.ShowBox(Box("Choose the module family first."));
        return false;
    }
    const PortChoiceText chosen = view.ChosenPorts();
    line::PortChoice choice;
    if (chosen.kind == PortChoiceText::Kind::Match) {
        std::string problem;
        const std::optional<std::vector<line::PortRule>> rules =
            line::ParsePortRules(chosen.text, problem);
        if (!rules) {
            view.ShowBox(Box("Ports to match: " + problem));
            return false;
        }
        choice.rules = *rules;
    } else if (chosen.kind == PortChoiceText::Kind::List) {
        choice.names = line::PortNames(chosen.text);
        if (choice.names.empty()) {
            view.ShowBox(Box("Name the ports that take part, such as COM3 COM4 or /dev/ttyUSB0."));
            return false;
        }
    }
    if (!OpenRecord()) {
        return false;
    }
    selection.emplace(std::move(choice), setup.ports);
    const std::lock_guard lock(jobMutex);
    jobTemplate = {.procedure = family == 0 ? UploadProcedure::Text : UploadProcedure::Binary,
                   .filePath = filePath,
                   .portName = {},
                   .baudRate = setup.baudRate};
    return true;
}

bool StationController::OpenRecord() {
    if (recorder && recorderPath == recordPath) {
        return true;
    }
    // A record is only changed between runs (the settings are locked during them).
    std::error_code error;
    const std::filesystem::path folder =
        std::filesystem::path(std::u8string(recordPath.begin(), recordPath.end())).parent_path();
    if (!folder.empty()) {
        std::filesystem::create_directories(folder, error);
    }
    std::string problem;
    std::unique_ptr<line::UpdateRecorder> opened = line::UpdateRecorder::Open(recordPath, problem);
    if (!opened) {
        view.ShowBox(Box("The record " + recordPath + " cannot be written: " + problem));
        return false;
    }
    recorder = std::move(opened);
    recorderPath = recordPath;
    return true;
}

UploadJob StationController::Job(const std::string& port) {
    const std::lock_guard lock(jobMutex);
    UploadJob job = jobTemplate;
    job.portName = port;
    return job;
}

void StationController::StartAll() {
    if (pending > 0 || watch || !ReadSettings()) {
        return;
    }
    const std::vector<platform::SerialPortInfo> ports = selection->Now(false);
    if (ports.empty()) {
        view.ShowBox(
            Box("No serial port takes part: none is present, or none that the choice of "
                "ports picks."));
        return;
    }
    stop.Reset();
    for (const platform::SerialPortInfo& port : ports) {
        // In port order, whichever run reports first.
        const size_t row = RowOf(port);
        rows[row].shown = {.port = port.device, .serial = port.serialNumber, .phase = "waiting"};
        Show(row);
        runs->Start(port);
        ++pending;
    }
    UpdateControls();
}

void StationController::WatchClicked() {
    if (watch) {
        EndWatch();
        return;
    }
    if (pending > 0 || !ReadSettings()) {
        UpdateControls();
        return;
    }
    stop.Reset();
    watch.emplace(*selection, *runs);
    view.StartLooking(LookEveryMs);
    Look();
}

void StationController::Look() {
    if (watch) {
        pending += watch->Look(SIZE_MAX);
        UpdateControls();
    }
}

void StationController::EndWatch() {
    watch.reset();
    view.StopLooking();
    UpdateControls();
}

void StationController::StopClicked() {
    AskToStop();
}

bool StationController::AskToStop() {
    if (asking) {
        return false;
    }
    if (pending == 0) {
        if (watch) {
            EndWatch();
        }
        return true;
    }
    asking = true;
    const bool yes = view.Ask({StopQuestion, StationCaption, MessageIcon::Question});
    asking = false;
    if (!yes) {
        return false;
    }
    if (watch) {
        EndWatch();
    }
    if (pending > 0) {
        stop.Request();
    }
    UpdateControls();
    return true;
}

void StationController::RetryClicked() {
    const std::optional<size_t> selected = view.SelectedRow();
    if (!selected || *selected >= rows.size()) {
        return;
    }
    Row& row = rows[*selected];
    if (row.shown.state != RowState::Failed && row.shown.state != RowState::Stopped) {
        return;
    }
    // While runs go on, the settings they took are still those read last; while they stop, no
    // new one begins.
    const bool idle = pending == 0 && !watch;
    if (idle ? !ReadSettings() : stop.Requested()) {
        return;
    }
    if (idle) {
        stop.Reset();
    }
    runs->Start(row.port);
    ++pending;
    // Until its run reports, so that the row cannot be retried twice.
    row.shown = {.port = row.shown.port, .serial = row.shown.serial, .phase = "waiting"};
    Show(*selected);
    UpdateControls();
}

void StationController::SelectionChanged() {
    UpdateControls();
}

void StationController::CloseRequested() {
    if (closing) {
        return;
    }
    if (pending == 0) {
        view.End();
        return;
    }
    if (AskToStop()) {
        closing = true;
        if (pending == 0) {
            view.End();
        }
    }
}

size_t StationController::RowOf(const platform::SerialPortInfo& port) {
    const auto known = std::find_if(rows.begin(), rows.end(), [&port](const Row& row) {
        return row.port.device == port.device;
    });
    if (known != rows.end()) {
        return static_cast<size_t>(known - rows.begin());
    }
    rows.push_back({.shown = {.port = port.device, .serial = port.serialNumber}, .port = port});
    return rows.size() - 1;
}

void StationController::RunStarted(size_t slot, const platform::SerialPortInfo& port) {
    const size_t row = RowOf(port);
    if (slotRow.size() <= slot) {
        slotRow.resize(slot + 1);
    }
    slotRow[slot] = row;
    rows[row].port = port;
    rows[row].shown = {.port = port.device,
                       .serial = port.serialNumber,
                       .state = RowState::Running,
                       .phase = "waiting"};
    ++counts.running;
    Show(row);
    view.ShowCounts(counts);
}

void StationController::RunPhase(size_t slot, const PhaseReport& report) {
    StationRow& row = rows[slotRow[slot]].shown;
    row.phase = line::PhaseText(report);
    Show(slotRow[slot]);
}

void StationController::RunProgress(size_t slot, uint32_t position, uint32_t range) {
    rows[slotRow[slot]].shown.progress = ScaleProgress(position, range);
    Show(slotRow[slot]);
}

void StationController::RunFinished(size_t slot, const line::PortResult& result) {
    StationRow& row = rows[slotRow[slot]].shown;
    const UploadOutcome& outcome = result.outcome;
    row.phase.clear();
    row.result = line::PortResultHeadline(result);
    row.detail = outcome.detail;
    --counts.running;
    if (outcome.stopped) {
        row.state = RowState::Stopped;
        ++counts.stopped;
    } else if (outcome.Succeeded()) {
        row.state = RowState::Written;
        row.progress = {row.progress.range, row.progress.range};
        ++counts.written;
    } else {
        row.state = RowState::Failed;
        ++counts.failed;
    }
    Show(slotRow[slot]);
    view.ShowCounts(counts);
    --pending;
    if (pending == 0) {
        stop.Reset();
        if (closing) {
            view.End();
            return;
        }
    }
    UpdateControls();
}

void StationController::Show(size_t row) {
    view.ShowRow(row, rows[row].shown);
}

void StationController::UpdateControls() {
    const bool idle = pending == 0 && !watch;
    bool retry = false;
    if (const std::optional<size_t> selected = view.SelectedRow();
        selected && *selected < rows.size()) {
        const RowState state = rows[*selected].shown.state;
        retry = (state == RowState::Failed || state == RowState::Stopped) && !closing;
    }
    view.ShowControls({.settings = idle,
                       .startAll = idle && fileOpens,
                       .watching = watch.has_value(),
                       .stop = !idle && !closing,
                       .retry = retry});
}

std::string StationCountsText(const StationCounts& counts) {
    std::string text = std::to_string(counts.written) + " written, " +
                       std::to_string(counts.failed) + " failed, " +
                       std::to_string(counts.running) + " running";
    if (counts.stopped > 0) {
        text += ", " + std::to_string(counts.stopped) + " stopped";
    }
    return text;
}

}  // namespace corvane
