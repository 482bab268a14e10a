#include "tests/faults/OpenDescriptors.h"

#include <dirent.h>
#include <unistd.h>

#include <array>
#include <cstdlib>

namespace corvane::test {

std::map<int, std::string> OpenDescriptors() {
    std::map<int, std::string> open;
    DIR* listing = opendir("/proc/self/fd");
    if (listing == nullptr) {
        return open;
    }
    const int own = dirfd(listing);
    while (const dirent* entry = readdir(listing)) {
        char* end = nullptr;
        const long fd = std::strtol(entry->d_name, &end, 10);
        if (end == entry->d_name || *end != '\0' || fd == own) {
            continue;  // "." and "..", and the listing itself
        }
        std::array<char, 512> target{};
        const std::string link = std::string("/proc/self/fd/") + entry->d_name;
        const ssize_t length = readlink(link.c_str(), target.data(), target.size() - 1);
        open[static_cast<int>(fd)] = length > 0 ? std::string(target.data(), length) : "?";
    }
    closedir(listing);
    return open;
}

std::map<int, std::string> AddedDescriptors(const std::map<int, std::string>& before,
                                            const std::map<int, std::string>& after) {
    std::map<int, std::string> added;
    for (const auto& [fd, target] : after) {
        const auto held = before.find(fd);
        if (held == before.end() || held->second != target) {
            added[fd] = target;
        }
    }
    return added;
}

}  // namespace corvane::test
