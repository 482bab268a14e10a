#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace corvane {

inline constexpr size_t CommandBufferSize = 256;
// Far below what the command buffer leaves room for; the module's own set names are short.
inline constexpr size_t MaxSetNameLength = 16;

// Why a set name cannot go into "AT^QBNW=<set>,...", in the operator's words; empty when it can.
// It must be 1 to MaxSetNameLength printable ASCII characters without ',' ';' '"' or spaces:
// anything else would end the name early, start another command or data of its own.
std::string SetNameProblem(std::string_view name);

using CommandBuffer = std::array<char, CommandBufferSize>;

// "AT^QBNW=<set>,0,<block>,<total>\r": announces block `block` of `total` in text mode. Both
// numbers go out as signed decimals, the way the module has always been sent them.
void FormatNumberedBlockCommand(CommandBuffer& command, const char* setName, uint32_t block,
                                uint32_t total);

// "AT^QBNW=<set>,0\r": announces a binary record, and in text mode cancels the transfer.
void FormatSetCommand(CommandBuffer& command, const char* setName);

}  // namespace corvane
