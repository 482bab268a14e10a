#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace corvane::platform {

// The paths that a glob names now, sorted: the links under which a test or a udev rule makes
// ports appear (/dev/serial/by-path/*, /tmp/line/port-*), which the port list leaves out when
// they lead to pseudo-terminals. None where the system has no such names (Windows).
std::vector<std::string> ExistingPathsMatching(const std::string& pattern);

// Wakes a watch for new ports when the system says that serial ports came or went (udev on
// Linux), or when the time passes: ports that show only as links, and systems without such
// news, are found by looking again each time.
class PortChangeWait {
  public:
    PortChangeWait();
    ~PortChangeWait();
    PortChangeWait(const PortChangeWait&) = delete;
    PortChangeWait& operator=(const PortChangeWait&) = delete;

    void Wait(uint32_t milliseconds);

  private:
    struct Source;
    Source* source = nullptr;
};

}  // namespace corvane::platform
