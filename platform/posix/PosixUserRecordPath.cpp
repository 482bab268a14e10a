#include <cstdlib>

#include "platform/UserRecordPath.h"

namespace corvane::platform {

std::string UserRecordPath() {
    const char* data = std::getenv("XDG_DATA_HOME");
    // A relative value is to be ignored, as the base directory rules say.
    if (data != nullptr && data[0] == '/') {
        return std::string(data) + "/corvane/updates.jsonl";
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/') {
        return {};
    }
    return std::string(home) + "/.local/share/corvane/updates.jsonl";
}

}  // namespace corvane::platform
