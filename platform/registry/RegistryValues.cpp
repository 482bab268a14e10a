#include "platform/registry/RegistryValues.h"

namespace corvane::platform {

RegistryValue TextValue(std::u16string_view text) {
    RegistryValue value{REG_SZ, {}};
    value.data.reserve((text.size() + 1) * 2);
    for (const char16_t unit : text) {
        value.data.push_back(static_cast<uint8_t>(unit & 0xFF));
        value.data.push_back(static_cast<uint8_t>(unit >> 8));
    }
    value.data.insert(value.data.end(), {0, 0});
    return value;
}

RegistryValue NumberValue(uint32_t number) {
    RegistryValue value{REG_DWORD, {}};
    for (int shift = 0; shift < 32; shift += 8) {
        value.data.push_back(static_cast<uint8_t>(number >> shift));
    }
    return value;
}

}  // namespace corvane::platform
