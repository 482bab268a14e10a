#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace corvane::platform {

// File bytes for a .reg text: UTF-8 as written, or UTF-16LE behind a byte-order mark as regedit
// saves it. The text is ASCII or \u escapes; each char16_t is one unit.
inline std::vector<uint8_t> Utf8Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

inline std::vector<uint8_t> Utf16LeBytes(const std::u16string& text) {
    std::vector<uint8_t> bytes = {0xFF, 0xFE};
    for (char16_t unit : text) {
        bytes.push_back(static_cast<uint8_t>(unit));
        bytes.push_back(static_cast<uint8_t>(unit >> 8));
    }
    return bytes;
}

}  // namespace corvane::platform
