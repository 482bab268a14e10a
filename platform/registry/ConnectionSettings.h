#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/registry/Registry.h"

namespace corvane::platform {

// Units of the port-name buffer handed to ReadRegistryText: 6 where device names are "COMn:",
// more where they are paths.
#ifdef _WIN32
inline constexpr size_t PortNameCapacity = 6;
#else
inline constexpr size_t PortNameCapacity = 256;
#endif

inline constexpr uint32_t DefaultBaudRate = 115200;
inline constexpr const char* RegistryWarningText =
    "Registry key not present. Is the RIL properly installed?";

// Reads a text value into buffer (capacity UTF-16 units); the last unit is always a terminator.
// Fails when the stored data does not fit.
bool ReadRegistryText(const Registry& registry, const std::string& rootKey,
                      const std::string& keyPath, const std::string& valueName, char16_t* buffer,
                      size_t capacity);
// Reads a value whose data is exactly 4 bytes, of any type; destination untouched on failure.
bool ReadRegistryNumber(const Registry& registry, const std::string& rootKey,
                        const std::string& keyPath, const std::string& valueName,
                        uint32_t* destination);

// ParentPort of the multiplexer, else DataPortInternal of the RIL, then the RIL's BaudRate.
// Fills portName (UTF-8) when a port was found, baudRate only when the rate was found; true
// when both were. Shows nothing: the caller warns with RegistryWarningText, and may add what
// missing (when given) names on failure, such as
// "no BaudRate under [HKEY_LOCAL_MACHINE\Software\Microsoft\RIL]", or that BaudRate is there but
// stored as text. portValue (when given) gets the name of the value the port came from.
bool LookupConnectionSettings(const Registry& registry, std::string& portName, uint32_t& baudRate,
                              std::string* missing = nullptr, std::string* portValue = nullptr);

}  // namespace corvane::platform
