#include <unistd.h>

#include <climits>
#include <cstring>

#include "platform/HostName.h"

namespace corvane::platform {

std::string HostName() {
    // One more than the longest name, so that a cut one still ends in a zero byte.
    char name[HOST_NAME_MAX + 2] = {};
    if (gethostname(name, sizeof name - 1) != 0) {
        return {};
    }
    return name;
}

}  // namespace corvane::platform
