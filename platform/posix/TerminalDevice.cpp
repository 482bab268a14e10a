#include "platform/posix/TerminalDevice.h"

#include <sys/sysmacros.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

namespace corvane::platform::posix {

namespace {

// /dev/tty, /dev/console, /dev/ptmx and the like.
constexpr unsigned TtyAuxMajor = 5;
// The virtual consoles /dev/tty0 to /dev/tty63 share their major number with /dev/ttyS*.
constexpr unsigned VirtualConsoleMajor = 4;
constexpr unsigned VirtualConsoles = 64;

// The controlling terminal's device from /proc/self/stat (its seventh field, in the kernel's
// own encoding); nothing when the process has none.
std::optional<dev_t> ControllingTerminal() {
    std::ifstream stat("/proc/self/stat");
    std::string line;
    std::getline(stat, line);
    // The command name in parentheses may hold blanks and parentheses of its own.
    const size_t nameEnd = line.rfind(')');
    if (nameEnd == std::string::npos) {
        return std::nullopt;
    }
    std::istringstream fields(line.substr(nameEnd + 1));
    std::string state;
    long parent = 0, group = 0, session = 0;
    unsigned long terminal = 0;
    if (!(fields >> state >> parent >> group >> session >> terminal) || terminal == 0) {
        return std::nullopt;
    }
    return makedev((terminal >> 8) & 0xFFF, (terminal & 0xFF) | ((terminal >> 12) & 0xFFF00));
}

}  // namespace

bool IsTerminal(dev_t device) {
    if (major(device) == PtySlaveMajor) {
        return true;
    }
    std::error_code error;
    const std::filesystem::path subsystem =
        std::filesystem::read_symlink("/sys/dev/char/" + std::to_string(major(device)) + ":" +
                                          std::to_string(minor(device)) + "/subsystem",
                                      error);
    return !error && subsystem.filename() == "tty";
}

std::string ConsoleRefusal(dev_t device) {
    if (device == ControllingTerminal()) {
        return "is the terminal this program runs in, not a serial port";
    }
    if (major(device) == TtyAuxMajor ||
        (major(device) == VirtualConsoleMajor && minor(device) < VirtualConsoles)) {
        return "is a console, not a serial port";
    }
    return "";
}

}  // namespace corvane::platform::posix
