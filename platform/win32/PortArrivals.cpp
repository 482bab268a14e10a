#include "platform/PortArrivals.h"

#include <windows.h>

namespace corvane::platform {

std::vector<std::string> ExistingPathsMatching(const std::string& /*pattern*/) {
    return {};
}

struct PortChangeWait::Source {};

PortChangeWait::PortChangeWait() = default;

PortChangeWait::~PortChangeWait() = default;

// The port list is looked at again after each wait: that finds a COM port that came.
void PortChangeWait::Wait(uint32_t milliseconds) {
    Sleep(milliseconds);
}

}  // namespace corvane::platform
