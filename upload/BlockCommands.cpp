#include "upload/BlockCommands.h"

#include <cstdio>

namespace corvane {

std::string SetNameProblem(std::string_view name) {
    if (name.empty() || name.size() > MaxSetNameLength) {
        return "NAME must have 1 to " + std::to_string(MaxSetNameLength) + " characters";
    }
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= ' ' || byte > '~' || c == ',' || c == ';' || c == '"') {
            return "NAME must be printable ASCII without spaces, ',', ';' or '\"'";
        }
    }
    return "";
}

void FormatNumberedBlockCommand(CommandBuffer& command, const char* setName, uint32_t block,
                                uint32_t total) {
    std::snprintf(command.data(), command.size(), "AT^QBNW=%s,0,%d,%d\r", setName,
                  static_cast<int>(block), static_cast<int>(total));
}

void FormatSetCommand(CommandBuffer& command, const char* setName) {
    std::snprintf(command.data(), command.size(), "AT^QBNW=%s,0\r", setName);
}

}  // namespace corvane
