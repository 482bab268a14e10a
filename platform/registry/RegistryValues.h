#pragma once

#include <cstdint>
#include <string_view>

#include "platform/registry/Registry.h"

namespace corvane::platform {

// A REG_SZ value as the registry stores it: UTF-16LE units and the terminating zero unit.
RegistryValue TextValue(std::u16string_view text);

// A REG_DWORD value: four bytes, least significant first.
RegistryValue NumberValue(uint32_t number);

}  // namespace corvane::platform
