#include "sim/ModemRecords.h"

#include <cstdio>
#include <fstream>

namespace corvane::sim {

std::string EscapeBytes(std::string_view bytes) {
    std::string text;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            text += "\\\\";
        } else if (c == '\r') {
            text += "\\r";
        } else if (c == '\n') {
            text += "\\n";
        } else if (byte >= 0x20 && byte < 0x7f) {
            text += c;
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            text += hex;
        }
    }
    return text;
}

bool WriteTranscript(const std::string& path, const std::vector<TranscriptEntry>& transcript) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    for (const TranscriptEntry& entry : transcript) {
        file << entry.timeMs << ' ' << entry.rate << ' ' << EscapeBytes(entry.bytes) << '\n';
    }
    file.close();
    return !file.fail();
}

bool WriteStoredSet(const std::string& path, Family family, const std::vector<std::string>& set) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    for (const std::string& item : set) {
        file << item;
        if (family == Family::K31) {
            file << '\n';
        }
    }
    file.close();
    return !file.fail();
}

}  // namespace corvane::sim
