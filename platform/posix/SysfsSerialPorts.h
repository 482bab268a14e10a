#pragma once

#include <string>
#include <vector>

#include "platform/SerialPortList.h"

namespace corvane::platform::posix {

// The serial ports that sysfs under root ("/sys", or a test's copy of its shape) shows: the
// terminals of class tty with a device behind them, less the serial ports that the kernel
// reserved for a UART it did not find (type 0). Pseudo-terminals and consoles have no device
// and are never listed.
std::vector<SerialPortInfo> SerialPortsInSysfs(const std::string& root);

// Gives each port the name under links ("/dev/serial") that udev keeps for it: by-path where
// there is one, else by-id.
void AddStableNames(std::vector<SerialPortInfo>& ports, const std::string& links);

}  // namespace corvane::platform::posix
