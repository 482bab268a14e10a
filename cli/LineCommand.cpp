#include "cli/LineCommand.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>

#include "cli/LineProgress.h"
#include "cli/SignalStop.h"
#include "line/LineSummary.h"
#include "line/PortMatch.h"
#include "line/PortSelection.h"
#include "line/PortWatch.h"
#include "line/UpdateRecorder.h"
#include "platform/EscapedBytes.h"
#include "platform/PortArrivals.h"
#include "platform/SystemPlatform.h"

namespace corvane::cli {

namespace {

// How often a watch looks for ports that only show as links, and how often it sums up.
constexpr uint32_t LookAgainMs = 200;
constexpr auto SummaryEvery = std::chrono::minutes(1);

// Each event to the display; each result to the summary and the record as well.
class LineEvents : public line::LineEvents {
  public:
    LineEvents(const UpdateOptions& options, uint32_t baudRate, LineProgress* display,
               line::UpdateRecorder* recorder, std::ostream& err)
        : options(options), baudRate(baudRate), display(display), recorder(recorder), err(err) {}

    void Started(size_t slot, const platform::SerialPortInfo& port) override {
        if (display != nullptr) {
            display->Started(slot, port);
        }
    }
    void Phase(size_t slot, const PhaseReport& report) override {
        if (display != nullptr) {
            display->Phase(slot, report);
        }
    }
    void Progress(size_t slot, uint32_t position, uint32_t range) override {
        if (display != nullptr) {
            display->Progress(slot, position, range);
        }
    }
    // On the run's thread: its line is on the disk before the port's next update starts.
    void Finished(size_t slot, const line::PortResult& result) override {
        if (recorder != nullptr) {
            const std::string problem =
                recorder->Add(JobFor(options, baudRate, result.port.device), result);
            if (!problem.empty()) {
                const std::lock_guard lock(mutex);
                err << "corvane-update: record: " << problem << '\n' << std::flush;
            }
        }
        if (display != nullptr) {
            display->Finished(slot, result);
        }
        const std::lock_guard lock(mutex);
        summary.Add(result);
    }

    std::string SummaryText() {
        const std::lock_guard lock(mutex);
        return summary.Text();
    }
    void Summarise() {
        if (display != nullptr) {
            display->Summary(SummaryText());
        }
    }

  private:
    const UpdateOptions& options;
    uint32_t baudRate;
    LineProgress* display;
    line::UpdateRecorder* recorder;
    std::ostream& err;
    std::mutex mutex;
    line::LineSummary summary;
};

int Watch(const line::PortSelection& selection, line::PortRuns& runs, LineEvents& events,
          uint32_t count, StopRequest& stop, const std::function<void()>& tellStop) {
    platform::PortChangeWait changes;
    line::PortWatch watch(selection, runs);
    uint32_t started = 0;
    auto nextSummary = std::chrono::steady_clock::now() + SummaryEvery;
    while (!stop.Requested() && (count == 0 || started < count)) {
        started += watch.Look(count == 0 ? SIZE_MAX : count - started);
        if (std::chrono::steady_clock::now() >= nextSummary) {
            events.Summarise();
            nextSummary += SummaryEvery;
        }
        changes.Wait(LookAgainMs);
    }
    if (stop.Requested()) {
        tellStop();
    }
    runs.WaitForAll();
    return 0;
}

}  // namespace

UploadJob JobFor(const UpdateOptions& options, uint32_t baudRate, const std::string& port) {
    return {.procedure = options.procedure,
            .setName = options.setName,
            .filePath = options.filePath,
            .portName = port,
            .baudRate = baudRate};
}

std::optional<std::vector<line::PortRule>> MatchRules(const UpdateOptions& options,
                                                      std::ostream& err) {
    std::vector<line::PortRule> rules;
    for (const std::string& text : options.matchRules) {
        std::string problem;
        const std::optional<line::PortRule> rule = line::ParsePortRule(text, problem);
        if (!rule) {
            err << "corvane-update: --match " << EscapedText(text) << ": " << problem << '\n';
            return std::nullopt;
        }
        rules.push_back(*rule);
    }
    return rules;
}

bool OpenRecord(const UpdateOptions& options, std::ostream& err,
                std::unique_ptr<line::UpdateRecorder>& recorder) {
    if (options.recordFile.empty()) {
        return true;
    }
    std::string problem;
    recorder = line::UpdateRecorder::Open(options.recordFile, problem);
    if (!recorder) {
        err << "corvane-update: " << EscapedText(options.recordFile) << ": " << problem << '\n';
    }
    return recorder != nullptr;
}

int RunSingleCommand(const UpdateOptions& options, const Connection& connection, Console& console,
                     StopRequest& stop, const std::function<int()>& signal) {
    std::unique_ptr<line::UpdateRecorder> recorder;
    if (!OpenRecord(options, console.err, recorder)) {
        return UsageErrorStatus;
    }
    platform::SystemPlatform system;
    const auto started = std::chrono::system_clock::now();
    const auto begun = std::chrono::steady_clock::now();
    const UploadOutcome outcome =
        RunUpdateCommand(options, connection, system.Get(), console, stop);
    if (recorder) {
        const line::PortResult result{
            .port = line::Listed(connection.port, platform::ListSerialPorts())
                        .value_or(platform::SerialPortInfo{.device = connection.port}),
            .outcome = outcome,
            .started = started,
            .duration = std::chrono::duration_cast<std::chrono::milliseconds>(
                std::chrono::steady_clock::now() - begun)};
        const std::string problem =
            recorder->Add(JobFor(options, connection.baudRate, connection.port), result);
        if (!problem.empty()) {
            console.err << "corvane-update: record: " << problem << '\n' << std::flush;
        }
    }
    return ExitStatus(outcome, signal());
}

int RunLineCommand(const UpdateOptions& options, uint32_t baudRate, const JobUpdate& update,
                   Console& console, StopRequest& stop, const std::function<int()>& signal) {
    const std::optional<std::vector<line::PortRule>> rules = MatchRules(options, console.err);
    if (!rules) {
        return UsageErrorStatus;
    }
    std::unique_ptr<line::UpdateRecorder> recorder;
    if (!OpenRecord(options, console.err, recorder)) {
        return UsageErrorStatus;
    }
    const line::PortSelection selection({.names = options.ports, .rules = *rules});
    std::vector<platform::SerialPortInfo> ports;
    if (!options.watch) {
        ports = selection.Now(false);
        if (ports.empty()) {
            console.err << "corvane-update: no serial port takes part"
                        << (options.matchRules.empty() ? "" : " (none that --match picks)")
                        << "; --list-ports shows those present\n";
            return UsageErrorStatus;
        }
    }

    std::optional<LineProgress> display;
    if (!options.quiet) {
        display.emplace(console.err, console.errMovesCursor, console.errColumns);
    }
    // Lines redrawn in place would be shifted by a notice from the signal handler.
    const bool showsStop = display && console.errMovesCursor;
    SignalStop::NoteLine(!showsStop);
    LineEvents events(options, baudRate, display ? &*display : nullptr, recorder.get(),
                      console.err);
    line::PortRuns runs(
        [&](const platform::SerialPortInfo& port, UploadObserver& observer, StopRequest& stopping) {
            return update(JobFor(options, baudRate, port.device), observer, stopping);
        },
        events, stop);
    const auto tellStop = [&display, showsStop] {
        if (showsStop) {
            display->Summary("corvane-update: " + std::string(SignalStop::LineNotice()));
        }
    };
    int status = 0;
    if (options.watch) {
        status = Watch(selection, runs, events, options.count, stop, tellStop);
    } else {
        for (const platform::SerialPortInfo& port : ports) {
            runs.Start(port);
        }
        for (bool told = false; runs.Running() > 0;) {
            runs.WaitForAnEnd(std::chrono::milliseconds(LookAgainMs));
            if (stop.Requested() && !told) {
                tellStop();
                told = true;
            }
        }
        status = line::LineExitStatus(runs.Results(), signal());
    }
    events.Summarise();
    return status;
}

}  // namespace corvane::cli
