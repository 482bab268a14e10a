#include "platform/SystemRegistry.h"

#include "platform/registry/RegFileRegistry.h"

namespace corvane::platform {

// Linux has no registry: the device's settings live in an export of the Windows one.
#define CORVANE_SYSTEM_EXPORT "/etc/corvane/registry.reg"
const char* const SystemRegistryName = CORVANE_SYSTEM_EXPORT;
const char* const SystemRegistryDescription = "registry export " CORVANE_SYSTEM_EXPORT;

std::unique_ptr<Registry> OpenSystemRegistry(std::string& error) {
    auto registry = std::make_unique<RegFileRegistry>();
    registry->Load(SystemRegistryName, error);
    return registry;
}

}  // namespace corvane::platform
