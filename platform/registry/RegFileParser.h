#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "platform/registry/MemoryRegistry.h"

namespace corvane::platform {

// Reads registry export text, as regedit writes it, into registry: the header line
// ("Windows Registry Editor Version 5.00" or "REGEDIT4"), [key] and [-key] lines, values
// "name"="text", @ for the default value, dword:, hex: and hex(type): data with "\" continued
// lines, "name"=- deletions and ";" comments. The text is UTF-16LE behind its byte-order mark,
// or UTF-8. On failure error tells why and where; what was read before the fault is kept.
bool ParseRegFile(std::span<const uint8_t> bytes, MemoryRegistry& registry, std::string& error);

}  // namespace corvane::platform
