#include "platform/PortArrivals.h"

#include <glob.h>
#include <libudev.h>
#include <poll.h>

#include <algorithm>

namespace corvane::platform {

std::vector<std::string> ExistingPathsMatching(const std::string& pattern) {
    glob_t found{};
    std::vector<std::string> paths;
    if (glob(pattern.c_str(), GLOB_NOSORT, nullptr, &found) == 0) {
        paths.assign(found.gl_pathv, found.gl_pathv + found.gl_pathc);
    }
    globfree(&found);
    std::sort(paths.begin(), paths.end());
    return paths;
}

// udev's monitor of the tty subsystem; absent where udev does not run (a container).
struct PortChangeWait::Source {
    udev* context = nullptr;
    udev_monitor* monitor = nullptr;
};

PortChangeWait::PortChangeWait() : source(new Source) {
    source->context = udev_new();
    if (source->context == nullptr) {
        return;
    }
    source->monitor = udev_monitor_new_from_netlink(source->context, "udev");
    if (source->monitor == nullptr ||
        udev_monitor_filter_add_match_subsystem_devtype(source->monitor, "tty", nullptr) < 0 ||
        udev_monitor_enable_receiving(source->monitor) < 0) {
        if (source->monitor != nullptr) {
            udev_monitor_unref(source->monitor);
            source->monitor = nullptr;
        }
    }
}

PortChangeWait::~PortChangeWait() {
    if (source->monitor != nullptr) {
        udev_monitor_unref(source->monitor);
    }
    if (source->context != nullptr) {
        udev_unref(source->context);
    }
    delete source;
}

void PortChangeWait::Wait(uint32_t milliseconds) {
    pollfd watched{.fd = source->monitor != nullptr ? udev_monitor_get_fd(source->monitor) : -1,
                   .events = POLLIN,
                   .revents = 0};
    // With no monitor, poll() ignores the negative descriptor and only sleeps.
    if (poll(&watched, 1, static_cast<int>(milliseconds)) > 0 && (watched.revents & POLLIN)) {
        // The news itself does not matter: the caller looks at the ports again.
        while (udev_device* device = udev_monitor_receive_device(source->monitor)) {
            udev_device_unref(device);
        }
    }
}

}  // namespace corvane::platform
