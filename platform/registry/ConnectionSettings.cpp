#include "platform/registry/ConnectionSettings.h"

#include <array>

#include "platform/registry/RegistryValues.h"
#include "platform/registry/Utf16.h"

namespace corvane::platform {

namespace {

constexpr const char* MultiplexerKey = "Drivers\\BuiltIn\\Multiplexer";
constexpr const char* RilKey = "Software\\Microsoft\\RIL";

std::string Under(const char* key) {
    return std::string(" under [") + HKEY_LOCAL_MACHINE + "\\" + key + "]";
}

// A number stored as text is the usual slip in a hand-written export: say so.
std::string WhyNoNumber(const Registry& registry, const char* key, const std::string& name) {
    RegistryValue value;
    if (!registry.QueryValue(HKEY_LOCAL_MACHINE, key, name, value)) {
        return "no " + name + Under(key);
    }
    if (value.type == REG_SZ) {
        return name + Under(key) + " is stored as the text \"" + Utf16ToUtf8(TextOf(value)) +
               "\", not as a number (dword)";
    }
    return name + Under(key) + " holds " + std::to_string(value.data.size()) +
           " bytes, not the 4 of a number";
}

}  // namespace

bool ReadRegistryText(const Registry& registry, const std::string& rootKey,
                      const std::string& keyPath, const std::string& valueName, char16_t* buffer,
                      size_t capacity) {
    if (buffer == nullptr || capacity == 0 || !registry.HasKey(rootKey, keyPath)) {
        return false;
    }
    RegistryValue value;
    const bool found = registry.QueryValue(rootKey, keyPath, valueName, value) &&
                       value.data.size() <= capacity * 2;
    if (found) {
        // The stored bytes land in the buffer as they are, whatever the value's type; an odd
        // last byte fills only the low half of its unit.
        for (size_t i = 0; i < value.data.size(); ++i) {
            const auto byte = static_cast<char16_t>(value.data[i]);
            char16_t& unit = buffer[i / 2];
            unit = i % 2 == 0 ? static_cast<char16_t>((unit & 0xFF00) | byte)
                              : static_cast<char16_t>((unit & 0x00FF) | byte << 8);
        }
    }
    buffer[capacity - 1] = u'\0';
    return found;
}

bool ReadRegistryNumber(const Registry& registry, const std::string& rootKey,
                        const std::string& keyPath, const std::string& valueName,
                        uint32_t* destination) {
    if (destination == nullptr || !registry.HasKey(rootKey, keyPath)) {
        return false;
    }
    RegistryValue value;
    if (!registry.QueryValue(rootKey, keyPath, valueName, value) || value.data.size() != 4) {
        return false;
    }
    *destination =
        static_cast<uint32_t>(value.data[0]) | static_cast<uint32_t>(value.data[1]) << 8 |
        static_cast<uint32_t>(value.data[2]) << 16 | static_cast<uint32_t>(value.data[3]) << 24;
    return true;
}

bool LookupConnectionSettings(const Registry& registry, std::string& portName, uint32_t& baudRate,
                              std::string* missing, std::string* portValue) {
    std::array<char16_t, PortNameCapacity> port{};
    const char* foundIn = nullptr;
    if (ReadRegistryText(registry, HKEY_LOCAL_MACHINE, MultiplexerKey, "ParentPort", port.data(),
                         port.size())) {
        foundIn = "ParentPort";
    } else if (ReadRegistryText(registry, HKEY_LOCAL_MACHINE, RilKey, "DataPortInternal",
                                port.data(), port.size())) {
        foundIn = "DataPortInternal";
    }
    if (foundIn == nullptr) {
        if (missing != nullptr) {
            *missing =
                "no ParentPort" + Under(MultiplexerKey) + " nor DataPortInternal" + Under(RilKey);
        }
        return false;
    }
    portName = Utf16ToUtf8(std::u16string_view(port.data()));
    if (portValue != nullptr) {
        *portValue = foundIn;
    }
    if (!ReadRegistryNumber(registry, HKEY_LOCAL_MACHINE, RilKey, "BaudRate", &baudRate)) {
        if (missing != nullptr) {
            *missing = WhyNoNumber(registry, RilKey, "BaudRate");
        }
        return false;
    }
    return true;
}

}  // namespace corvane::platform
