#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

#include "upload/TextLineReader.h"

namespace corvane {

// The block buffer of the text procedure.
inline constexpr size_t TextBlockBufferSize = 1024;
// The block transfer puts Ctrl-Z and a zero byte behind the text.
inline constexpr size_t LongestBlockText = TextBlockBufferSize - 2;

// Reads a text parameter file into the blocks a K31 module is sent: the "Lines:" header with
// the number of data lines, then the data lines two at a time, joined into one block. Refuses,
// and says where, what cannot go out as the file means it: a missing header or count, a line or
// pair too long for a block (never cut), a file that ends before the lines its header declares.
class TextBlockReader {
  public:
    explicit TextBlockReader(std::FILE* stream) : lines(stream) {}

    // Reads the header: true when the first non-empty line is "Lines:" and a count from 0 to
    // 2147483647 (the block command sends it signed).
    bool ReadHeader();
    // The lines the header declares, and the blocks they make.
    uint32_t DeclaredLines() const { return declared; }
    uint32_t Blocks() const { return (declared >> 1) + (declared & 1); }

    // Reads the next block: true when it is in the buffer, ready to go out.
    bool ReadBlock();
    // The whole buffer, the block's text zero-ended at its start.
    std::span<uint8_t> Buffer() { return {reinterpret_cast<uint8_t*>(block.data()), block.size()}; }
    // The block read last: its text's length (up to a zero byte inside a line, which ends what
    // is sent), its lines' numbers (second 0 for a lone last line) and where it starts.
    size_t TextLength() const;
    uint32_t FirstLine() const { return first.number; }
    uint32_t SecondLine() const { return second.length > 0 ? second.number : 0; }
    uint64_t Offset() const { return first.offset; }

    // Where and why the last read was refused, in the operator's words.
    const std::string& Problem() const { return problem; }

  private:
    bool Refuse(std::string why);

    TextLineReader lines;
    uint32_t declared = 0;
    uint32_t linesRead = 0;
    TextLine first;
    TextLine second;
    std::array<char, TextBlockBufferSize> block{};
    std::array<char, TextBlockBufferSize> secondText{};
    std::string problem;
};

}  // namespace corvane
