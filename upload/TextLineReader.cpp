#include "upload/TextParameterUpload.h"

namespace corvane {

namespace {

bool IsLineEnd(int byte) {
    return byte == '\r' || byte == '\n';
}

}  // namespace

TextLine TextParameterUpload::ReadLine(std::FILE* stream, std::span<char> buffer) {
    if (buffer.empty()) {
        return {};
    }
    const size_t limit = buffer.size() - 1;
    TextLine line;
    while (line.length < limit) {
        const int byte = std::getc(stream);
        if (byte == EOF) {
            break;
        }
        if (IsLineEnd(byte)) {
            if (line.length > 0) {
                break;
            }
            continue;
        }
        buffer[line.length++] = static_cast<char>(byte);
    }
    buffer[line.length] = '\0';

    if (line.length < limit) {
        line.complete = true;
        return line;
    }
    // The buffer is full: the line is whole only if it ends right here. Its line end may be
    // consumed, the next call would skip it anyway.
    const int next = std::getc(stream);
    line.complete = next == EOF || IsLineEnd(next);
    if (!line.complete) {
        std::ungetc(next, stream);
    }
    return line;
}

}  // namespace corvane
