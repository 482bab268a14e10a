#include "platform/posix/DeviceHolders.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

#include "platform/posix/TerminalDevice.h"

namespace corvane::platform::posix {

namespace {

// /dev/ptmx: every master descriptor shows this device; its index is in the descriptor's fdinfo.
const dev_t PtyMaster = makedev(5, 2);

std::optional<unsigned> PtyIndex(dev_t device) {
    if (major(device) != PtySlaveMajor) {
        return std::nullopt;
    }
    return minor(device);
}

// The "tty-index:" line of a pseudo-terminal master's fdinfo.
std::optional<unsigned> MasterIndex(const std::string& fdinfo) {
    std::ifstream info(fdinfo);
    for (std::string line; std::getline(info, line);) {
        if (line.starts_with("tty-index:")) {
            return static_cast<unsigned>(std::strtoul(line.c_str() + 10, nullptr, 10));
        }
    }
    return std::nullopt;
}

std::optional<uint32_t> PidOf(const char* name) {
    char* end = nullptr;
    const unsigned long pid = std::strtoul(name, &end, 10);
    if (end == name || *end != '\0' || pid == 0 || pid > UINT32_MAX) {
        return std::nullopt;
    }
    return static_cast<uint32_t>(pid);
}

std::string ProgramOf(const std::string& process) {
    std::ifstream comm(process + "/comm");
    std::string name;
    std::getline(comm, name);
    return name;
}

struct Use {
    bool holdsDevice = false;
    bool holdsMaster = false;
};

// What one process has open of the device, from its descriptors.
Use UseOf(const std::string& process, dev_t device, std::optional<unsigned> ptyIndex) {
    Use use;
    DIR* descriptors = opendir((process + "/fd").c_str());
    if (descriptors == nullptr) {
        return use;  // another user's process, or gone
    }
    while (const dirent* entry = readdir(descriptors)) {
        struct stat target {};
        const std::string fd = entry->d_name;
        if (fd.starts_with('.') || stat((process + "/fd/" + fd).c_str(), &target) != 0 ||
            !S_ISCHR(target.st_mode)) {
            continue;
        }
        if (target.st_rdev == device) {
            use.holdsDevice = true;
        } else if (ptyIndex && target.st_rdev == PtyMaster &&
                   MasterIndex(process + "/fdinfo/" + fd) == ptyIndex) {
            use.holdsMaster = true;
        }
    }
    closedir(descriptors);
    return use;
}

}  // namespace

std::vector<PortHolder> ProcessesHolding(const std::string& device) {
    struct stat port {};
    if (stat(device.c_str(), &port) != 0 || !S_ISCHR(port.st_mode) || !IsTerminal(port.st_rdev)) {
        return {};
    }
    const std::optional<unsigned> ptyIndex = PtyIndex(port.st_rdev);
    std::vector<PortHolder> holders;
    DIR* processes = opendir("/proc");
    if (processes == nullptr) {
        return holders;
    }
    const auto self = static_cast<uint32_t>(getpid());
    while (const dirent* entry = readdir(processes)) {
        const std::optional<uint32_t> pid = PidOf(entry->d_name);
        if (!pid || *pid == self) {
            continue;
        }
        const std::string process = std::string("/proc/") + entry->d_name;
        const Use use = UseOf(process, port.st_rdev, ptyIndex);
        if (use.holdsDevice && !use.holdsMaster) {
            holders.push_back({ProgramOf(process), *pid});
        }
    }
    closedir(processes);
    std::sort(holders.begin(), holders.end(),
              [](const PortHolder& a, const PortHolder& b) { return a.pid < b.pid; });
    if (holders.size() > MaxNamedHolders) {
        holders.resize(MaxNamedHolders);
    }
    return holders;
}

}  // namespace corvane::platform::posix
