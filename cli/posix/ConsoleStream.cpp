#include "cli/ConsoleStream.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>

namespace corvane::cli {

bool IsConsole(std::FILE* stream) {
    return isatty(fileno(stream)) == 1;
}

bool MovesCursorOnRequest(std::FILE* stream) {
    const char* terminal = std::getenv("TERM");
    return IsConsole(stream) && !(terminal != nullptr && std::string_view(terminal) == "dumb");
}

size_t ConsoleWidth(std::FILE* stream) {
    winsize size{};
    return ioctl(fileno(stream), TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
}

// The terminal's locale decides how output is shown; nothing to switch.
Utf8Console::Utf8Console() = default;
Utf8Console::~Utf8Console() = default;

}  // namespace corvane::cli
