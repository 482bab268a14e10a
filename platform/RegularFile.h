#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace corvane::platform {

// A regular file open for reading as a buffered byte stream, or why it is not.
struct RegularFile {
    std::FILE* stream = nullptr;  // null when the file did not open; the caller closes it
    uint64_t size = 0;            // in bytes, as it was when the file was opened
    std::string problem;          // why it did not open, in a few words for the operator
};

// Opens exactly the named regular file (a UTF-8 path) for reading, without any line-end
// translation. An empty name or one with a zero byte inside, a missing file, a directory and a
// device do not open: "no file named", "name holds a zero byte", "no such file",
// "permission denied", "is a directory", "not a regular file" (and on Windows "name is not valid
// UTF-8"), else the system's own words.
RegularFile OpenRegularFile(const std::string& path);

}  // namespace corvane::platform
