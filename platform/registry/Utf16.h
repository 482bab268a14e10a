#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corvane::platform {

// The registry keeps text as UTF-16; the rest of the tool and the POSIX file system speak UTF-8.

// Lone surrogates become U+FFFD, so any unit sequence gives valid UTF-8.
std::string Utf16ToUtf8(std::u16string_view units);

// Empty when the text is not well-formed UTF-8 (overlong forms, surrogates, truncated sequences).
std::optional<std::u16string> Utf8ToUtf16(std::string_view text);

struct Utf8Character {
    char32_t codePoint;
    size_t length;  // in bytes
};
// The character the text starts with; empty when it does not start with a well-formed one.
std::optional<Utf8Character> FirstUtf8Character(std::string_view text);

// Appends one code point, which must be at most 0x10FFFF and no surrogate.
void AppendUtf8(std::string& text, char32_t codePoint);

}  // namespace corvane::platform
