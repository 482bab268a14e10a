#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/registry/Registry.h"

namespace corvane::platform {

// A REG_SZ value as the registry stores it: UTF-16LE units and the terminating zero unit.
RegistryValue TextValue(std::u16string_view text);

// The text of a value stored as UTF-16LE, up to its first zero unit (an odd last byte is
// dropped).
std::u16string TextOf(const RegistryValue& value);

// A REG_DWORD value: four bytes, least significant first.
RegistryValue NumberValue(uint32_t number);

}  // namespace corvane::platform
