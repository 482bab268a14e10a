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

std::u16string TextOf(const RegistryValue& value) {
    std::u16string text;
    for (size_t i = 0; i + 1 < value.data.size(); i += 2) {
        const auto unit = static_cast<char16_t>(value.data[i] | value.data[i + 1] << 8);
        if (unit == u'\0') {
            break;
        }
        text += unit;
    }
    return text;
}

RegistryValue NumberValue(uint32_t number) {
    RegistryValue value{REG_DWORD, {}};
    for (int shift = 0; shift < 32; shift += 8) {
        value.data.push_back(static_cast<uint8_t>(number >> shift));
    }
    return value;
}

}  // namespace corvane::platform
