#include "platform/SystemRegistry.h"

#include "platform/registry/RegFileRegistry.h"

namespace corvane::platform {

// Linux has no registry: the device's settings live in an export of the Windows one.
#define CORVANE_SYSTEM_EXPORT "/etc/corvane/registry.reg"
const char* const SystemRegistryName = CORVANE_SYSTEM_EXPORT;
const char* const SystemRegistryDescription = "registry export " CORVANE_SYSTEM_EXPORT;
const char* const SettingsAdvice =
    "Set ParentPort, a string such as \"/dev/ttyUSB0\", under "
    "[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\Multiplexer] and BaudRate, a dword of the rate such as "
    "dword:0001c200 (115200), under [HKEY_LOCAL_MACHINE\\Software\\Microsoft\\RIL] "
    "in " CORVANE_SYSTEM_EXPORT
    ". Writing it needs administrator rights; "
    "/usr/share/doc/corvane/examples/registry.reg is an example. Or start Corvane with --port "
    "DEVICE --baud RATE.";

std::unique_ptr<Registry> OpenSystemRegistry(std::string& error) {
    auto registry = std::make_unique<RegFileRegistry>();
    registry->Load(SystemRegistryName, error);
    return registry;
}

}  // namespace corvane::platform
