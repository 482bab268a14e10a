#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace corvane::fuzz {

// Replaces the contents of this process's scratch file with bytes and returns a path that opens
// it: the code under test reads its input by path. Cases run one after another, so one file
// serves them all. It lives in memory: a file system write per run would cost more than the run.
const std::string& WriteScratchFile(std::span<const uint8_t> bytes);

}  // namespace corvane::fuzz
