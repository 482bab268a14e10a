#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/UpdateCommand.h"
#include "line/PortMatch.h"
#include "line/PortRuns.h"
#include "line/UpdateRecorder.h"
#include "upload/StopRequest.h"
#include "upload/UploadJob.h"

namespace corvane::cli {

// The one update the command runs on a port as the options say, on a platform of its own.
using JobUpdate =
    std::function<UploadOutcome(const UploadJob& job, UploadObserver& observer, StopRequest& stop)>;

// The job the options give for one port.
UploadJob JobFor(const UpdateOptions& options, uint32_t baudRate, const std::string& port);

// The --match rules; nothing, with the rule that does not read said on err, when one does not.
std::optional<std::vector<line::PortRule>> MatchRules(const UpdateOptions& options,
                                                      std::ostream& err);

// The --record file, opened for appending; false, said on err, when it cannot be. Without
// --record, true and no recorder.
bool OpenRecord(const UpdateOptions& options, std::ostream& err,
                std::unique_ptr<line::UpdateRecorder>& recorder);

// One update on the connection's port as RunUpdateCommand runs it on the running system, with
// its line in the --record file; returns the exit status.
int RunSingleCommand(const UpdateOptions& options, const Connection& connection, Console& console,
                     StopRequest& stop, const std::function<int()>& signal);

// The production line: updates the module on each port that takes part (several --port,
// --all, --match) at the same time, or with --watch each as its port appears, until the stop
// or --count updates; shows each port's progress and the summary on err and appends every
// update to the --record file. Returns the exit status. signal: the first signal received.
int RunLineCommand(const UpdateOptions& options, uint32_t baudRate, const JobUpdate& update,
                   Console& console, StopRequest& stop, const std::function<int()>& signal);

}  // namespace corvane::cli
