#pragma once

#include <cstdint>
#include <string>

namespace corvane::platform {

// What a file held when it was read through: its size and SHA-256, or why it could not be read.
struct FileDigest {
    uint64_t size = 0;
    std::string sha256 = {};  // 64 lowercase hex digits; empty when the file could not be read
    std::string problem =
        {};  // as OpenRegularFile words it, or the system's words for a failed read
};

// Reads the named regular file (a UTF-8 path) once from start to end.
FileDigest DigestFile(const std::string& path);

}  // namespace corvane::platform
