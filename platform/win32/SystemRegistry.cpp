#include "platform/SystemRegistry.h"

#include "platform/win32/WinRegistry.h"

namespace corvane::platform {

const char* const SystemRegistryName = "the Windows registry";
const char* const SystemRegistryDescription = "the Windows registry";
// The installer ships the example beside the samples.
const char* const SettingsAdvice =
    "Set ParentPort, a string such as COM5, under "
    "[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\Multiplexer] and BaudRate, a DWORD of the rate such as "
    "115200, under [HKEY_LOCAL_MACHINE\\Software\\Microsoft\\RIL]. Writing them needs "
    "administrator "
    "rights; examples\\corvane-settings.reg in Corvane's folder sets both when opened. Or start "
    "Corvane with --port COM5 --baud 115200.";

std::unique_ptr<Registry> OpenSystemRegistry(std::string&) {
    return std::make_unique<win32::WinRegistry>();
}

}  // namespace corvane::platform
