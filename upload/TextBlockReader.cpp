#include "upload/TextBlockReader.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "platform/EscapedBytes.h"
#include "upload/LeadingInteger.h"

namespace corvane {

namespace {

constexpr char HeaderKeyword[] = "Lines:";
constexpr size_t HeaderKeywordLength = sizeof(HeaderKeyword) - 1;
// Of a header without a count: enough to see what stands there instead.
constexpr size_t ShownCountText = 20;

std::string Where(const TextLine& line) {
    return "line " + std::to_string(line.number) + " at byte " + std::to_string(line.offset);
}

std::string TooLong() {
    return "longer than the " + std::to_string(LongestBlockText) + " characters a block takes";
}

}  // namespace

bool TextBlockReader::Refuse(std::string why) {
    problem = std::move(why);
    return false;
}

bool TextBlockReader::ReadHeader() {
    const TextLine header = lines.Read(block);
    if (header.length == 0) {
        return Refuse("no \"Lines:\" header: the file holds no text");
    }
    if (std::strncmp(block.data(), HeaderKeyword, HeaderKeywordLength) != 0) {
        return Refuse(Where(header) + ": the first line is no \"Lines:\" header");
    }
    if (!header.complete) {
        return Refuse(Where(header) + ": the header is longer than " +
                      std::to_string(block.size() - 1) + " characters");
    }
    // atoi would send a negative count as a huge block total, and no number as none at all.
    const char* count = block.data() + HeaderKeywordLength;
    const std::optional<uint32_t> lines = LeadingCount(count);
    if (!lines) {
        const size_t shown = std::min<size_t>(std::strlen(count), ShownCountText);
        return Refuse(Where(header) + ": \"Lines:\" is followed by no count of lines (\"" +
                      EscapedBytes({reinterpret_cast<const uint8_t*>(count), shown}) + "\")");
    }
    declared = *lines;
    return true;
}

bool TextBlockReader::ReadBlock() {
    // The first line leaves room for the second to be joined to it.
    first = lines.Read(std::span(block).first(block.size() - 1));
    second = lines.Read(secondText);
    linesRead += (first.length > 0 ? 1 : 0) + (second.length > 0 ? 1 : 0);
    if (first.length + second.length == 0) {
        return Refuse("the file ends at byte " + std::to_string(lines.Offset()) + " after " +
                      std::to_string(linesRead) + " of the " + std::to_string(declared) +
                      " lines its header declares");
    }
    if (!first.complete) {
        return Refuse(Where(first) + ": " + TooLong());
    }
    // A zero byte inside a line ends the text that is sent.
    const size_t firstText = std::strlen(block.data());
    const size_t secondLength = std::strlen(secondText.data());
    if (!second.complete || firstText + secondLength > LongestBlockText) {
        return Refuse("lines " + std::to_string(first.number) + " and " +
                      std::to_string(second.number) + " at byte " + std::to_string(first.offset) +
                      ": together " + TooLong());
    }
    std::memcpy(block.data() + firstText, secondText.data(), secondLength + 1);
    return true;
}

size_t TextBlockReader::TextLength() const {
    return std::strlen(block.data());
}

}  // namespace corvane
