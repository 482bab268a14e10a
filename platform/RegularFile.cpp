#include "platform/RegularFile.h"

#include "platform/SystemRegularFile.h"

namespace corvane::platform {

RegularFile OpenRegularFile(const std::string& path) {
    if (path.empty()) {
        return {.problem = "no file named"};
    }
    // The system's calls take zero-ended names: they would open the shorter name in front of it.
    if (path.find('\0') != std::string::npos) {
        return {.problem = "name holds a zero byte"};
    }
    return OpenSystemRegularFile(path);
}

}  // namespace corvane::platform
