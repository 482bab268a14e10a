#include "cli/UpdateCommand.h"

#include <algorithm>
#include <optional>

#include "cli/LineCommand.h"
#include "cli/ProgressBar.h"
#include "cli/SignalStop.h"
#include "cli/TerminalText.h"
#include "cli/TracingSerialPort.h"
#include "platform/EscapedBytes.h"
#include "platform/SystemRegistry.h"
#include "platform/registry/ConnectionSettings.h"
#include "platform/registry/RegistryFileChoice.h"
#include "upload/ResultText.h"
#include "upload/RunUpload.h"

namespace corvane::cli {

namespace {

constexpr char NoPortText[] =
    "no serial port: give --port DEVICE (or a registry export with --registry FILE)";

std::string RegistryDescription(const std::string& file) {
    return file.empty() ? platform::SystemRegistryDescription
                        : "registry export " + EscapedText(file);
}

// The run as the command shows it: on the bar when there is one, else one line per phase when
// logging them.
class CommandObserver final : public UploadObserver {
  public:
    CommandObserver(std::optional<ProgressBar>& bar, bool logPhases, Console& console)
        : bar(bar), logPhases(logPhases), console(console) {}

    void Phase(const PhaseReport& report) override {
        SignalStop::NotePhase(report.phase);
        if (bar) {
            bar->Phase(report);
        } else if (logPhases && (report.phase != UploadPhase::Writing || report.block == 1)) {
            console.err << PhaseLogLine(report) << '\n' << std::flush;
        }
    }
    void Progress(uint32_t position, uint32_t range) override {
        if (bar) {
            bar->Report(position, range);
        }
    }

  private:
    std::optional<ProgressBar>& bar;
    bool logPhases;
    Console& console;
};

// Each line of a detail as the program's own.
void Said(std::ostream& err, const std::string& detail) {
    size_t start = 0;
    while (start < detail.size()) {
        const size_t end = std::min(detail.find('\n', start), detail.size());
        err << "corvane-update: " << detail.substr(start, end - start) << '\n';
        start = end + 1;
    }
    err << std::flush;
}

}  // namespace

std::optional<Connection> ResolveConnection(const UpdateOptions& options, std::ostream& err) {
    // An export named on the command line is read even when the options leave nothing to it: a
    // mistyped name must not pass unnoticed.
    if (options.port && !options.port->empty() && options.baudRate && !options.registryRequired) {
        return Connection{*options.port, *options.baudRate};
    }
    Connection found{"", platform::DefaultBaudRate};
    std::string problem;
    const std::unique_ptr<platform::Registry> registry =
        platform::OpenSettingsRegistry(options.registryFile, problem);
    if (!problem.empty() && options.registryRequired) {
        err << "corvane-update: " << problem << '\n';
        return std::nullopt;
    }
    std::string missing;
    if (!platform::LookupConnectionSettings(*registry, found.port, found.baudRate, &missing) &&
        problem.empty()) {
        problem = RegistryDescription(options.registryFile) + " has " + missing;
    }
    const Connection connection{options.port.value_or(found.port),
                                options.baudRate.value_or(found.baudRate)};
    if (connection.port.empty()) {
        if (!problem.empty()) {
            err << "corvane-update: " << problem << '\n';
        }
        err << "corvane-update: " << NoPortText << '\n';
        return std::nullopt;
    }
    if (!problem.empty() && !options.baudRate) {
        err << "corvane-update: " << problem << "; using " << connection.baudRate << '\n';
    }
    return connection;
}

UploadOutcome RunUpdateCommand(const UpdateOptions& options, const Connection& connection,
                               platform::Platform& system, Console& console, StopRequest& stop) {
    std::optional<TracingSerialPort> tracingPort;
    if (options.trace) {
        tracingPort.emplace(system.port, system.clock, console.err);
    }
    platform::Platform platform{tracingPort ? *tracingPort : system.port, system.clock,
                                system.libraries};

    // The trace shares stderr with the bar; its lines would tear the bar apart.
    std::optional<ProgressBar> bar;
    if (console.errIsTerminal && !options.quiet && !options.trace) {
        bar.emplace(console.err, console.errColumns);
    }
    // Elsewhere one line per phase, so that a log shows where a run spent its time.
    CommandObserver observer(bar, !bar && !options.quiet && !options.trace, console);

    const UploadJob job = JobFor(options, connection.baudRate, connection.port);
    observer.Progress(0, 100);
    const UploadOutcome outcome = RunUpload({job, observer, stop, platform});
    if (outcome.Succeeded()) {
        observer.Progress(100, 100);
    }
    if (bar) {
        bar->Finish();
    }
    tracingPort.reset();

    if (outcome.stopped) {
        console.err << ForTerminal(StoppedText(outcome)) << std::flush;
    } else if (outcome.Succeeded()) {
        console.out << SuccessText << '\n' << std::flush;
        Said(console.err, outcome.detail);
    } else {
        console.err << ForTerminal(FailureText(outcome.code));
        Said(console.err, outcome.detail);
    }
    return outcome;
}

int ExitStatus(const UploadOutcome& outcome, int signal) {
    return outcome.stopped ? 128 + signal : outcome.code;
}

}  // namespace corvane::cli
