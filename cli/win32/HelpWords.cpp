#include "cli/HelpWords.h"

namespace corvane::cli {

std::string VariableValue(std::string_view name) {
    return "%" + std::string(name) + "%";
}

// The console's keys, which the command takes as SIGINT and SIGTERM.
const std::string_view StopRequests = "Ctrl+C or Ctrl+Break";

const std::string_view HelpAlias = "/?";

}  // namespace corvane::cli
