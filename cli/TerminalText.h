#pragma once

#include <string>
#include <string_view>

namespace corvane::cli {

inline constexpr const char* SuccessText = "Audio Parameter Update successfull";

// The failure message as the window shows it: "\r\n" and "\r" line ends, the code's words
// directly behind the last "\r" (none for codes without words).
std::string FailureText(int code);

// Text for a terminal: every CR LF and lone CR becomes LF, and it ends with exactly one LF.
std::string ForTerminal(std::string_view text);

}  // namespace corvane::cli
