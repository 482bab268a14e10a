#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace corvane::platform {

inline constexpr const char* HKEY_LOCAL_MACHINE = "HKEY_LOCAL_MACHINE";

// Registry value types, numbered as the Windows registry numbers them.
inline constexpr uint32_t REG_NONE = 0;
inline constexpr uint32_t REG_SZ = 1;
inline constexpr uint32_t REG_BINARY = 3;
inline constexpr uint32_t REG_DWORD = 4;

struct RegistryValue {
    uint32_t type = REG_NONE;
    std::vector<uint8_t> data;  // as the registry stores it: text as UTF-16LE with terminator
};

// Read-only view of a registry. Keys are opened, never created.
class Registry {
public:
    virtual ~Registry() = default;
    virtual bool HasKey(const std::string& rootKey, const std::string& keyPath) const = 0;
    // False when the key or the value is missing.
    virtual bool QueryValue(const std::string& rootKey, const std::string& keyPath,
                            const std::string& valueName, RegistryValue& value) const = 0;
};

}  // namespace corvane::platform
