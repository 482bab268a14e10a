#pragma once

#include <sys/types.h>

#include <string>

namespace corvane::platform::posix {

// Unix98 pseudo-terminal slaves: the minor number is the terminal's index.
inline constexpr unsigned PtySlaveMajor = 136;

// Terminals only: pseudo-terminal slaves, and the devices sysfs files under tty.
bool IsTerminal(dev_t device);

// Why a terminal is no port to write a module's commands to: it is this process's controlling
// terminal (by any name), /dev/tty, /dev/console, /dev/ptmx or a virtual console. Empty for any
// other.
std::string ConsoleRefusal(dev_t device);

}  // namespace corvane::platform::posix
