#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "fuzz/cases/Violations.h"

namespace corvane::fuzz {

// Each case runs one input through the code under test and returns the properties it broke.

// The input is a text parameter file, uploaded to a module of each family.
Violations CheckTextUpload(std::span<const uint8_t> input);
// The input is a binary parameter file, uploaded to a module of each family.
Violations CheckBinaryUpload(std::span<const uint8_t> input);
// The input scripts a module's bytes and a series of exchanges with it.
Violations CheckExchange(std::span<const uint8_t> input);
// The input is a .reg file, read as it is and, when it is UTF-8, also as UTF-16.
Violations CheckRegistryFile(std::span<const uint8_t> input);

struct FuzzCase {
    std::string_view name;  // also the name of its corpus folder
    Violations (*check)(std::span<const uint8_t> input);
};

inline constexpr std::array<FuzzCase, 4> AllCases{{
    {"text_upload", CheckTextUpload},
    {"binary_upload", CheckBinaryUpload},
    {"exchange", CheckExchange},
    {"registry", CheckRegistryFile},
}};

}  // namespace corvane::fuzz
