#pragma once

#include <cstddef>
#include <cstdio>

namespace corvane::cli {

// True when the stream goes to an interactive console or terminal, where a progress bar may
// redraw its line; false for a file or a pipe.
bool IsConsole(std::FILE* stream);

// Whether the console the stream goes to moves its cursor on the usual escape sequences (ESC [ n A
// and the like), turning them on where the console has them switched off (Windows 10's consoles);
// false for a file or a pipe, and for a console without them, where a display that redraws
// lines in place cannot be used.
bool MovesCursorOnRequest(std::FILE* stream);

// The width in columns of the console or terminal the stream goes to; 0 when it has none or
// does not say.
size_t ConsoleWidth(std::FILE* stream);

// While one exists, a console shows the program's UTF-8 output as such: a Windows console
// otherwise reads it in its own code page, and gets that back afterwards. Nothing to do where
// the terminal's locale decides.
class Utf8Console {
  public:
    Utf8Console();
    ~Utf8Console();
    Utf8Console(const Utf8Console&) = delete;
    Utf8Console& operator=(const Utf8Console&) = delete;

  private:
    unsigned previousCodePage = 0;
};

}  // namespace corvane::cli
