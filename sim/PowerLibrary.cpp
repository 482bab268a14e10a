// corvane-modemsim's stand-in for a device's radio power library, built as RHA_SWUP.DLL for the
// tool to find on its library path. Switching a module's power on resets it; RHA_RadioPwrOn does
// that to the virtual module that serves a pseudo-terminal the calling program has open. With no
// such module among its open files (a real port, or none) it does nothing. The library has no
// other entry point, so the tool skips the others.

#include <dirent.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <string>
#include <string_view>

#include "sim/PowerControl.h"

namespace {

// Far longer than a module takes to reset; only a module that hangs keeps the caller this long.
constexpr int ResetTimeoutMs = 2000;

// Asks the module serving the device, if there is one, to power on, and waits until it has.
void PowerOn(std::string_view device) {
    sockaddr_un address{};
    socklen_t length = 0;
    if (!corvane::sim::PowerControlAddress(device, address, length)) {
        return;
    }
    const int control = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (control < 0) {
        return;
    }
    if (connect(control, reinterpret_cast<const sockaddr*>(&address), length) == 0) {
        pollfd done{.fd = control, .events = POLLIN, .revents = 0};
        char ack = 0;
        if (poll(&done, 1, ResetTimeoutMs) > 0) {
            [[maybe_unused]] const ssize_t ignored = read(control, &ack, 1);
        }
    }
    close(control);
}

}  // namespace

extern "C" [[gnu::visibility("default")]] int RHA_RadioPwrOn() {
    DIR* descriptors = opendir("/proc/self/fd");
    if (descriptors == nullptr) {
        return 1;
    }
    std::array<char, 256> target{};
    while (const dirent* entry = readdir(descriptors)) {
        const std::string link = std::string("/proc/self/fd/") + entry->d_name;
        const ssize_t n = readlink(link.c_str(), target.data(), target.size() - 1);
        const std::string_view device(target.data(), n > 0 ? static_cast<size_t>(n) : 0);
        if (device.starts_with("/dev/pts/")) {
            PowerOn(device);
        }
    }
    closedir(descriptors);
    return 1;
}
