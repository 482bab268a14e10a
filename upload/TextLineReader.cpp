#include "upload/TextLineReader.h"

namespace corvane {

namespace {

bool IsLineEnd(int byte) {
    return byte == '\r' || byte == '\n';
}

}  // namespace

int TextLineReader::Next() {
    const int byte = std::getc(stream);
    if (byte == EOF) {
        return byte;
    }
    ++offset;
    if (byte == '\r' || (byte == '\n' && !afterCr)) {
        ++lineEnds;
    }
    afterCr = byte == '\r';
    return byte;
}

// Only a byte that is no line end is given back, so the line count stands.
void TextLineReader::Unread(int byte) {
    std::ungetc(byte, stream);
    --offset;
    afterCr = false;
}

TextLine TextLineReader::Read(std::span<char> buffer) {
    if (buffer.empty()) {
        return {};
    }
    const size_t limit = buffer.size() - 1;
    TextLine line;
    while (line.length < limit) {
        const int byte = Next();
        if (byte == EOF) {
            break;
        }
        if (IsLineEnd(byte)) {
            if (line.length > 0) {
                break;
            }
            continue;
        }
        if (line.length == 0) {
            line.number = lineEnds + 1;
            line.offset = offset - 1;
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
    const int next = Next();
    line.complete = next == EOF || IsLineEnd(next);
    if (!line.complete) {
        Unread(next);
    }
    return line;
}

}  // namespace corvane
