#include "link/EscapedBytes.h"

namespace corvane {

std::string EscapedBytes(std::span<const uint8_t> bytes) {
    static constexpr char Digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size());
    for (const uint8_t byte : bytes) {
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
    return text;
}

}  // namespace corvane
