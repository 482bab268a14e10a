#pragma once

#include <cstdint>
#include <cstdio>
#include <span>

#include "upload/TextLine.h"

namespace corvane {

// Reads the non-empty lines of a parameter text file, counting lines and bytes as it goes.
class TextLineReader {
  public:
    explicit TextLineReader(std::FILE* stream) : stream(stream) {}

    // Reads the next non-empty line into buffer, zero-terminated. CR and LF each end a line;
    // empty lines and line ends in front of the line are skipped. At most buffer.size() - 1
    // characters are stored; a longer line stops there, incomplete, and the next call continues
    // inside it. The end of the file or a read error ends the line; length 0 then means nothing
    // was left.
    TextLine Read(std::span<char> buffer);

    // Bytes consumed so far.
    uint64_t Offset() const { return offset; }

  private:
    int Next();
    void Unread(int byte);

    std::FILE* stream;
    uint64_t offset = 0;
    // Line ends seen so far, a CR LF counted once.
    uint32_t lineEnds = 0;
    bool afterCr = false;
};

}  // namespace corvane
