#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

namespace corvane {

// The largest record the buffer holds, its two length bytes included.
inline constexpr uint32_t RecordCapacity = 5120;

// Reads a binary parameter file record by record: a big-endian 16-bit length L that counts
// itself, then L - 2 body bytes. Each record is kept whole in a fixed buffer, in file order,
// with two zero bytes behind it so that a consumer taking it as zero-ended text (and appending
// one byte to that text) stays inside the buffer. Refuses, and says where, what a K47 module
// cannot be sent as the file means it: a record without data, one longer than a block takes, a
// record cut short by the end of the file, a file too large to count in 32 bits.
class BinaryRecordReader {
  public:
    BinaryRecordReader(std::FILE* stream, uint64_t size);

    // True while bytes of the file are left to be read as records and nothing was refused.
    bool More() const { return problem.empty() && remaining > 0; }
    // Reads the next record and returns its length L; 0 when it was refused.
    uint32_t ReadNext();

    // The whole buffer: the current record from its first length byte, then its zero bytes.
    std::span<uint8_t> Buffer() { return buffer; }
    uint32_t Size() const { return size; }
    // Bytes of the file not yet consumed by the records read.
    uint32_t Remaining() const { return remaining; }
    // How much of the file the records read so far make up: 100 - remaining * 100 / size, in
    // unsigned 32-bit arithmetic as the progress bar has always shown it; 100 for an empty file.
    uint32_t ConsumedPercent() const;
    // The record read last, counted from 1, and the offset of its first length byte.
    uint32_t Number() const { return number; }
    uint32_t Offset() const { return offset; }

    // Where and why the file was refused, in the operator's words; empty while it was not.
    const std::string& Problem() const { return problem; }

  private:
    uint32_t Refuse(const std::string& why);

    std::FILE* stream;
    uint32_t size = 0;
    uint32_t remaining = 0;
    uint32_t number = 0;
    uint32_t offset = 0;
    std::string problem;
    std::array<uint8_t, RecordCapacity + 2> buffer{};
};

}  // namespace corvane
