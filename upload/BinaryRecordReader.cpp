#include "upload/BinaryRecordReader.h"

#include <limits>

#include "link/ModuleLink.h"

namespace corvane {

namespace {

constexpr uint32_t LengthFieldSize = 2;

}  // namespace

BinaryRecordReader::BinaryRecordReader(std::FILE* stream, uint64_t size) : stream(stream) {
    // Counted in 32 bits, a larger file would pass for a smaller one, even an empty one.
    if (size > std::numeric_limits<uint32_t>::max()) {
        problem = "the file holds " + std::to_string(size) + " bytes, more than " +
                  std::to_string(std::numeric_limits<uint32_t>::max());
        return;
    }
    this->size = static_cast<uint32_t>(size);
    remaining = this->size;
}

uint32_t BinaryRecordReader::Refuse(const std::string& why) {
    problem =
        "record " + std::to_string(number) + " at byte " + std::to_string(offset) + ": " + why;
    return 0;
}

uint32_t BinaryRecordReader::ReadNext() {
    ++number;
    offset = size - remaining;
    if (std::fread(buffer.data(), 1, LengthFieldSize, stream) != LengthFieldSize) {
        return Refuse("the file ends inside its length field");
    }
    const uint32_t length = (uint32_t{buffer[0]} << 8) | buffer[1];
    // A record the module cannot take in one block is refused before anything of it goes out:
    // once the module has said CONNECT it waits for data, and would take the switch-off command
    // for part of the record.
    if (length <= LengthFieldSize) {
        return Refuse("length " + std::to_string(length) + " leaves no room for data");
    }
    if (length > LargestBinaryBlock) {
        return Refuse("length " + std::to_string(length) + ", more than the " +
                      std::to_string(LargestBinaryBlock) + " bytes a block takes");
    }
    static_assert(LargestBinaryBlock <= RecordCapacity);
    const uint32_t bodySize = length - LengthFieldSize;
    const size_t bodyRead = std::fread(buffer.data() + LengthFieldSize, 1, bodySize, stream);
    if (bodyRead != bodySize) {
        return Refuse("length " + std::to_string(length) + ", but the file ends after " +
                      std::to_string(LengthFieldSize + bodyRead) + " of its bytes");
    }
    buffer[length] = 0;
    buffer[length + 1] = 0;
    remaining -= length;
    return length;
}

uint32_t BinaryRecordReader::ConsumedPercent() const {
    if (size == 0) {
        return 100;
    }
    return 100 - (remaining * 100) / size;
}

}  // namespace corvane
