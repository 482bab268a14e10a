#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace corvane {

inline constexpr size_t CommandBufferSize = 256;
// The longest set name that leaves room for the longest command built from it,
// "AT^QBNW=<set>,0,<int>,<int>\r", and its zero byte.
inline constexpr size_t MaxSetNameLength = 220;

using CommandBuffer = std::array<char, CommandBufferSize>;

// "AT^QBNW=<set>,0,<block>,<total>\r": announces block `block` of `total` in text mode. Both
// numbers go out as signed decimals, the way the module has always been sent them.
void FormatNumberedBlockCommand(CommandBuffer& command, const char* setName, uint32_t block,
                                uint32_t total);

// "AT^QBNW=<set>,0\r": announces a binary record, and in text mode cancels the transfer.
void FormatSetCommand(CommandBuffer& command, const char* setName);

}  // namespace corvane
