#include "platform/registry/RegistryFileChoice.h"

#include "platform/SystemRegistry.h"
#include "platform/registry/RegFileRegistry.h"

namespace corvane::platform {

std::string ChooseRegistryFile(const std::string& given, const char* environment) {
    if (!given.empty()) {
        return given;
    }
    if (environment != nullptr) {
        return environment;
    }
    return "";
}

std::unique_ptr<Registry> OpenSettingsRegistry(const std::string& file, std::string& error) {
    if (file.empty()) {
        return OpenSystemRegistry(error);
    }
    auto registry = std::make_unique<RegFileRegistry>();
    registry->Load(file, error);
    return registry;
}

}  // namespace corvane::platform
