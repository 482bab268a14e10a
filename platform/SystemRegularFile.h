#pragma once

#include <string>

#include "platform/RegularFile.h"

namespace corvane::platform {

// The system's part of OpenRegularFile, in posix/ and win32/: the name is not empty and holds
// no zero byte.
RegularFile OpenSystemRegularFile(const std::string& path);

}  // namespace corvane::platform
