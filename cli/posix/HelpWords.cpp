#include "cli/HelpWords.h"

namespace corvane::cli {

std::string VariableValue(std::string_view name) {
    return "$" + std::string(name);
}

const std::string_view StopRequests = "SIGINT or SIGTERM";

// "/?" is a path here.
const std::string_view HelpAlias;

}  // namespace corvane::cli
