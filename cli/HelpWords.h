#pragma once

#include <string>
#include <string_view>

namespace corvane::cli {

// The words of the command's help that each system says its own way (posix/ and win32/).

// An environment variable's value as the system's shell writes it.
std::string VariableValue(std::string_view name);

// What stops an update with exit status 130 or 143.
extern const std::string_view StopRequests;

// Another name for --help that the system's programs take; empty where there is none.
extern const std::string_view HelpAlias;

}  // namespace corvane::cli
