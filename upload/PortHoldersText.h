#pragma once

#include <string>
#include <vector>

#include "platform/SerialPort.h"

namespace corvane {

// Adds to a failed run's detail which other programs have its port open and what to do about
// each: "<port>: also open in ModemManager (pid 812): stop it with ...". The port is not named
// twice when the detail already starts with it, nor a program whose pid the detail already
// names; nothing is added when no other program is left.
void AddOtherHolders(std::string& detail, const std::string& port,
                     const std::vector<platform::PortHolder>& holders);

}  // namespace corvane
