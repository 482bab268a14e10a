#include "platform/registry/RegistryFileChoice.h"

namespace corvane::platform {

std::string ChooseRegistryFile(const std::string& given, const char* environment) {
    if (!given.empty()) {
        return given;
    }
    if (environment != nullptr && *environment != '\0') {
        return environment;
    }
    return DefaultRegistryFile;
}

}  // namespace corvane::platform
