#include "upload/BinaryRecordReader.h"

namespace corvane {

namespace {

constexpr uint32_t LengthFieldSize = 2;

}  // namespace

BinaryRecordReader::BinaryRecordReader(std::FILE* stream, uint32_t size)
    : stream(stream), size(size), remaining(size) {}

uint32_t BinaryRecordReader::ReadNext() {
    if (std::fread(buffer.data(), 1, LengthFieldSize, stream) != LengthFieldSize) {
        return 0;
    }
    const uint32_t length = (uint32_t{buffer[0]} << 8) | buffer[1];
    if (length <= LengthFieldSize || length > RecordCapacity) {
        return 0;
    }
    const uint32_t bodySize = length - LengthFieldSize;
    if (std::fread(buffer.data() + LengthFieldSize, 1, bodySize, stream) != bodySize) {
        return 0;
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
