#pragma once

#include <string>

namespace corvane::platform::posix {

// What an errno from opening a serial device means to the operator, in a few words, with the
// usual cause where there is one (a missing dialout membership, a program holding the port).
std::string DescribePortOpenError(int error);

}  // namespace corvane::platform::posix
