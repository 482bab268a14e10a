#include "cli/ConsoleStream.h"

#include <unistd.h>

namespace corvane::cli {

bool IsConsole(std::FILE* stream) {
    return isatty(fileno(stream)) == 1;
}

// The terminal's locale decides how output is shown; nothing to switch.
Utf8Console::Utf8Console() = default;
Utf8Console::~Utf8Console() = default;

}  // namespace corvane::cli
