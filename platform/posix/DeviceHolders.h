#pragma once

#include <string>
#include <vector>

#include "platform/SerialPort.h"

namespace corvane::platform::posix {

// At most this many holders are named: enough to point at the culprit, short enough to read.
inline constexpr size_t MaxNamedHolders = 4;

// The processes other than this one with a descriptor open on the terminal device, found in
// /proc/<pid>/fd (only those this process may look into), in pid order. A process that also
// holds the master of the device's pseudo-terminal is its far end (the virtual module), not a
// competitor, and is left out. None for anything but a terminal.
std::vector<PortHolder> ProcessesHolding(const std::string& device);

}  // namespace corvane::platform::posix
