#pragma once

#include <cstdint>

namespace corvane::link_timing {

// Pauses and time-outs of the module dialogue, in milliseconds.
inline constexpr uint32_t DtrLowPulse = 100;
inline constexpr uint32_t BeforeWrite = 50;          // after a purge, and before block data
inline constexpr uint32_t ReplyTimeout = 5000;       // until the first byte that is not echo
inline constexpr uint32_t AfterEmptyRead = 10;       // while waiting for the reply
inline constexpr uint32_t AfterFirstReplyByte = 50;  // lets a command's reply arrive whole
inline constexpr uint32_t ProbeAnswer = 200;         // between "AT\r" and reading the answer
inline constexpr uint32_t AfterEscape = 50;          // lets ESC leave before the next purge

}  // namespace corvane::link_timing
