#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <span>

namespace corvane {

// The largest record the buffer holds, its two length bytes included.
inline constexpr uint32_t RecordCapacity = 5120;

// Reads a binary parameter file record by record: a big-endian 16-bit length L that counts
// itself, then L - 2 body bytes. Each record is kept whole in a fixed buffer, in file order,
// with two zero bytes behind it so that a consumer taking it as zero-ended text (and appending
// one byte to that text) stays inside the buffer.
class BinaryRecordReader {
  public:
    BinaryRecordReader(std::FILE* stream, uint32_t size);

    // Reads the next record and returns its length L, or 0 when the file holds no usable record
    // here: a length field cut short, L below 3 or above RecordCapacity, or a body that the file
    // does not hold whole.
    uint32_t ReadNext();

    // The whole buffer: the current record from its first length byte, then its zero bytes.
    std::span<uint8_t> Buffer() { return buffer; }
    uint32_t Size() const { return size; }
    // Bytes of the file not yet consumed by the records read.
    uint32_t Remaining() const { return remaining; }
    // How much of the file the records read so far make up: 100 - remaining * 100 / size, in
    // unsigned 32-bit arithmetic as the progress bar has always shown it; 100 for an empty file.
    uint32_t ConsumedPercent() const;

  private:
    std::FILE* stream;
    uint32_t size;
    uint32_t remaining;
    std::array<uint8_t, RecordCapacity + 2> buffer{};
};

}  // namespace corvane
