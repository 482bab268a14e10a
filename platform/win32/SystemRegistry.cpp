#include "platform/SystemRegistry.h"

#include "platform/win32/WinRegistry.h"

namespace corvane::platform {

const char* const SystemRegistryName = "the Windows registry";
const char* const SystemRegistryDescription = "the Windows registry";

std::unique_ptr<Registry> OpenSystemRegistry(std::string&) {
    return std::make_unique<win32::WinRegistry>();
}

}  // namespace corvane::platform
