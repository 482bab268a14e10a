#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
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
    // The progress bar is drawn only on a terminal, and fitted to its width (0: not known).
    bool errIsTerminal = false;
    size_t errColumns = 0;
    // Lines above the cursor can be redrawn (a line's display); set where it is asked for.
    bool errMovesCursor = false;
};

struct Connection {
    std::string port;
    uint32_t baudRate = 0;
};

// The port and rate of the options, what they leave open taken from the registry the way the
// window looks it up. A rate the lookup does not find is the default rate, with a warning on err
// that names what was missing. Nothing when there is no port to use, or the export --registry
// names does not read (read even when the options give port and rate): a usage error, said on
// err.
std::optional<Connection> ResolveConnection(const UpdateOptions& options, std::ostream& err);

// Runs one update on the connection as the options say, on the given platform (traced when
// asked), and reports the outcome on the console: the success text on out; on err the failure
// text with what the system said about the port or the file, or, for a run that stop ended,
// what was written. Unless quiet or traced, err shows the phases of the run as well: on a
// terminal with the progress bar, else one line each.
UploadOutcome RunUpdateCommand(const UpdateOptions& options, const Connection& connection,
                               platform::Platform& system, Console& console, StopRequest& stop);

// The program's exit status: 128 + the signal for a run that the signal stopped, else the
// update's result code.
int ExitStatus(const UploadOutcome& outcome, int signal);

}  // namespace corvane::cli
