#include "cli/TerminalText.h"

namespace corvane::cli {

std::string ForTerminal(std::string_view text) {
    std::string lines;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            lines += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
        } else {
            lines += text[i];
        }
    }
    if (lines.empty() || lines.back() != '\n') {
        lines += '\n';
    }
    return lines;
}

}  // namespace corvane::cli
