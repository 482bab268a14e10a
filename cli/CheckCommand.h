#pragma once

#include "cli/CommandLine.h"
#include "cli/UpdateCommand.h"

namespace corvane::cli {

// --check: reads the parameter file as the update would, without port or registry, and tells
// on out what would be sent, one line per block or record and a summary; on err the first
// problem, with its line or record and byte offset, and the family the file reads as when it is
// the other one. Returns the exit status: 0, 3 when the file does not open, 4 when it would be
// refused.
int RunCheckCommand(const UpdateOptions& options, Console& console);

}  // namespace corvane::cli
