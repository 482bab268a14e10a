#include "line/PlugTracker.h"

namespace corvane::line {

std::vector<platform::SerialPortInfo> PlugTracker::Arrived(
    const std::vector<platform::SerialPortInfo>& present) {
    std::set<std::string> now;
    std::vector<platform::SerialPortInfo> arrived;
    for (const platform::SerialPortInfo& port : present) {
        if (now.insert(port.device).second && !seen.contains(port.device)) {
            arrived.push_back(port);
        }
    }
    seen = std::move(now);
    return arrived;
}

}  // namespace corvane::line
