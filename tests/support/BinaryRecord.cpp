#include "tests/support/BinaryRecord.h"

namespace corvane::test {

std::string Record(std::string_view body) {
    const size_t length = body.size() + 2;
    return std::string{static_cast<char>(length >> 8), static_cast<char>(length & 0xFF)} +
           std::string(body);
}

std::string Record(uint32_t length, char first) {
    std::string body;
    for (uint32_t i = 2; i < length; ++i) {
        body.push_back(static_cast<char>(first + i % 20));
    }
    return Record(body);
}

}  // namespace corvane::test
