#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "cli/CommandLine.h"
#include "platform/Platform.h"

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
// the outcome on the console. Returns the update's result code.
int RunUpdateCommand(const UpdateOptions& options, platform::Platform& system, Console& console);

}  // namespace corvane::cli
