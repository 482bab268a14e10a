#include "platform/EscapedBytes.h"

#include <optional>

#include "platform/registry/Utf16.h"

namespace corvane {

namespace {

void AppendEscaped(std::string& text, uint8_t byte) {
    static constexpr char Digits[] = "0123456789ABCDEF";
    switch (byte) {
        case '\r':
            text += "\\r";
            break;
        case '\n':
            text += "\\n";
            break;
        case '\t':
            text += "\\t";
            break;
        case '\\':
            text += "\\\\";
            break;
        default:
            if (byte >= 0x20 && byte < 0x7F) {
                text += static_cast<char>(byte);
            } else {
                text += "\\x";
                text += Digits[byte >> 4];
                text += Digits[byte & 0xF];
            }
    }
}

}  // namespace

std::string EscapedBytes(std::span<const uint8_t> bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (const uint8_t byte : bytes) {
        AppendEscaped(text, byte);
    }
    return text;
}

std::string EscapedText(std::string_view text) {
    std::string shown;
    shown.reserve(text.size());
    while (!text.empty()) {
        const std::optional<platform::Utf8Character> character = platform::FirstUtf8Character(text);
        // C1 controls (U+0080 to U+009F) act like ESC sequences on many terminals. A backslash
        // stays one, so that a Windows path reads as it is.
        if (character && (character->codePoint >= 0xA0 || character->codePoint == '\\')) {
            shown += text.substr(0, character->length);
            text.remove_prefix(character->length);
        } else {
            AppendEscaped(shown, static_cast<uint8_t>(text.front()));
            text.remove_prefix(1);
        }
    }
    return shown;
}

}  // namespace corvane
