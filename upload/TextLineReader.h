#pragma once

#include <cstdint>
#include <cstdio>
#include <span>

namespace corvane {

struct TextLine {
    // Characters stored in front of the terminating zero byte; zero bytes read from the file count.
    uint32_t length = 0;
    // False when the line went on beyond the buffer: the rest is still in the stream.
    bool complete = false;
};

// Reads the next non-empty line of a parameter text file into buffer, zero-terminated. CR and
// LF each end a line; empty lines and line ends in front of the line are skipped. At most
// buffer.size() - 1 characters are stored; a longer line stops there, incomplete, and the next
// call continues inside it. The end of the file or a read error ends the line; length 0 then
// means nothing was left.
TextLine ReadTextLine(std::FILE* stream, std::span<char> buffer);

}  // namespace corvane
