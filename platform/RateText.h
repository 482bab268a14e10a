#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace corvane::platform {

// A rate as the operator writes it: decimal only, 1 to 4294967295, for strtoul's octal and hex
// forms would turn "0115200" into another rate.
std::optional<uint32_t> ParseBaudRate(const std::string& text);
inline constexpr const char* BaudRateRule = "RATE must be a decimal number from 1 to 4294967295";

// Why a serial port is not at the rate it was given, in the operator's words.

// The driver refused the line settings at the rate.
std::string RefusedRateText(uint32_t rate);
// The driver took the rate but runs at another one, as some round a rate they cannot make.
std::string RoundedRateText(uint32_t rate, uint32_t held);

}  // namespace corvane::platform
