#pragma once

#include <cstdint>

namespace corvane {

struct TextLine {
    // Characters stored in front of the terminating zero byte; zero bytes read from the file count.
    uint32_t length = 0;
    // False when the line went on beyond the buffer: the rest is still in the stream.
    bool complete = false;
};

}  // namespace corvane
