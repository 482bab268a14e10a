#pragma once

#include <cstdint>
#include <string>

namespace corvane::platform {

// Why a serial port is not at the rate it was given, in the operator's words.

// The driver refused the line settings at the rate.
std::string RefusedRateText(uint32_t rate);
// The driver took the rate but runs at another one, as some round a rate they cannot make.
std::string RoundedRateText(uint32_t rate, uint32_t held);

}  // namespace corvane::platform
