#include "cli/ConsoleStream.h"

#include <io.h>
#include <windows.h>

namespace corvane::cli {

bool IsConsole(std::FILE* stream) {
    const intptr_t handle = _get_osfhandle(_fileno(stream));
    DWORD mode = 0;
    return handle != -1 && GetConsoleMode(reinterpret_cast<HANDLE>(handle), &mode) != FALSE;
}

bool MovesCursorOnRequest(std::FILE* stream) {
    const intptr_t handle = _get_osfhandle(_fileno(stream));
    DWORD mode = 0;
    if (handle == -1 || GetConsoleMode(reinterpret_cast<HANDLE>(handle), &mode) == FALSE) {
        return false;
    }
    return (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0 ||
           SetConsoleMode(reinterpret_cast<HANDLE>(handle),
                          mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != FALSE;
}

size_t ConsoleWidth(std::FILE* stream) {
    const intptr_t handle = _get_osfhandle(_fileno(stream));
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (handle == -1 ||
        GetConsoleScreenBufferInfo(reinterpret_cast<HANDLE>(handle), &info) == FALSE) {
        return 0;
    }
    return static_cast<size_t>(info.srWindow.Right - info.srWindow.Left + 1);
}

Utf8Console::Utf8Console() : previousCodePage(GetConsoleOutputCP()) {
    // 0: no console at all (output to a file or a pipe), where bytes pass as they are.
    if (previousCodePage != 0) {
        SetConsoleOutputCP(CP_UTF8);
    }
}

Utf8Console::~Utf8Console() {
    if (previousCodePage != 0) {
        SetConsoleOutputCP(previousCodePage);
    }
}

}  // namespace corvane::cli
