#pragma once

#include <string>

namespace corvane {

enum class Notice { Output, Error };

// What the window program says before its window opens (its version, a usage error), in
// UTF-8. It goes to the standard output or error when that leads somewhere (a pipe, a file, as
// a script would read it); else into a message box, since a window program has no console.
void ShowNotice(Notice kind, const std::string& text);

}  // namespace corvane
