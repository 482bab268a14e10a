#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "platform/registry/MemoryRegistry.h"

namespace corvane::platform {

// The registry as a .reg file describes it (see ParseRegFile for the format), read once.
class RegFileRegistry : public MemoryRegistry {
  public:
    // Largest file taken: far more than any device registry export.
    static constexpr size_t MaxFileSize = 16 * 1024 * 1024;

    // Replace the contents with the file's. On failure the registry is empty and error tells
    // why, naming the line at fault.
    bool Load(const std::string& path, std::string& error);
    bool Parse(std::span<const uint8_t> bytes, std::string& error);
};

}  // namespace corvane::platform
