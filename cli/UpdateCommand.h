#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "cli/CommandLine.h"
#include "platform/Platform.h"
#include "upload/StopRequest.h"
#include "upload/UploadOutcome.h"

namespace corvane::cli {

struct Console {
    std::ostream& out;
    std::ostream& err;
    // The progress bar is drawn only on a terminal.
    bool errIsTerminal = false;
};

struct Connection {
    std::string port;
    uint32_t baudRate = 0;
};

// The port and rate of the options, what they leave open taken from the registry file the way
// the window looks it up. When the lookup fails it warns on err and goes on: no port then
// means an update that ends with ResultPortUnavailable, no rate the default rate.
Connection ResolveConnection(const UpdateOptions& options, std::ostream& err);

// Runs one update as the options say, on the given platform (traced when asked), and reports
// the outcome on the console: the success text on out; on err the failure text with what the
// system said about the port or the file, or, for a run that stop ended, what was written.
// Unless quiet or traced, err shows the phases of the run as well: on a terminal with the
// progress bar, else one line each.
UploadOutcome RunUpdateCommand(const UpdateOptions& options, platform::Platform& system,
                               Console& console, StopRequest* stop = nullptr);

// The program's exit status: 128 + the signal for a run that the signal stopped, else the
// update's result code.
int ExitStatus(const UploadOutcome& outcome, int signal);

}  // namespace corvane::cli
