#pragma once

#include <string>

namespace corvane::platform {

// This computer's name on the network, in UTF-8; empty when the system does not give one.
std::string HostName();

}  // namespace corvane::platform
