#pragma once

#include <cstdint>

namespace corvane {

struct TextLine {
    // Characters stored in front of the terminating zero byte; zero bytes read from the file count.
    uint32_t length = 0;
    // False when the line went on beyond the buffer: the rest is still in the stream.
    bool complete = false;
    // Where the line starts in the file, for the operator: its number (CR LF, CR and LF each end
    // one) and the offset of its first byte.
    uint32_t number = 0;
    uint64_t offset = 0;
};

}  // namespace corvane
