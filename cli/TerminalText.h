#pragma once

#include <string>
#include <string_view>

namespace corvane::cli {

// Text for a terminal: every CR LF and lone CR becomes LF, and it ends with exactly one LF.
std::string ForTerminal(std::string_view text);

}  // namespace corvane::cli
