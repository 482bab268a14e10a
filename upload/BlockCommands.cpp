#include "upload/BlockCommands.h"

#include <cstdio>

namespace corvane {

void FormatNumberedBlockCommand(CommandBuffer& command, const char* setName, uint32_t block,
                                uint32_t total) {
    std::snprintf(command.data(), command.size(), "AT^QBNW=%s,0,%d,%d\r", setName,
                  static_cast<int>(block), static_cast<int>(total));
}

void FormatSetCommand(CommandBuffer& command, const char* setName) {
    std::snprintf(command.data(), command.size(), "AT^QBNW=%s,0\r", setName);
}

}  // namespace corvane
