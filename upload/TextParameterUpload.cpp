#include "upload/TextParameterUpload.h"

#include <array>
#include <cstring>
#include <new>
#include <optional>
#include <span>

#include "upload/BlockCommands.h"
#include "upload/LeadingInteger.h"
#include "upload/UploadSession.h"

namespace corvane {

namespace {

constexpr uint32_t ClosingPause = 100;
constexpr size_t BlockBufferSize = 1024;
// The block transfer puts Ctrl-Z and a zero byte behind the text.
constexpr size_t LongestBlockText = BlockBufferSize - 2;
constexpr char HeaderKeyword[] = "Lines:";
constexpr size_t HeaderKeywordLength = sizeof(HeaderKeyword) - 1;

// The declared number of data lines, or nothing when the first non-empty line is no header.
std::optional<int32_t> ReadHeader(std::FILE* stream, std::span<char> line) {
    const TextLine header = TextParameterUpload::ReadLine(stream, line);
    if (header.length == 0 || !header.complete ||
        std::strncmp(line.data(), HeaderKeyword, HeaderKeywordLength) != 0) {
        return std::nullopt;
    }
    return LeadingInteger(line.data() + HeaderKeywordLength);
}

// Appends the second line of a pair to the first in the block buffer. False when the pair
// cannot go out as one block: a line longer than its read, or a joined text too long for the
// buffer with what the block transfer adds behind it.
bool JoinPair(std::span<char> block, const TextLine& first, const char* second,
              const TextLine& next) {
    if (!first.complete || !next.complete) {
        return false;
    }
    // A zero byte inside a line ends the text that is sent.
    const size_t firstText = std::strlen(block.data());
    const size_t secondText = std::strlen(second);
    if (firstText + secondText > LongestBlockText) {
        return false;
    }
    std::memcpy(block.data() + firstText, second, secondText + 1);
    return true;
}

// The module's word for "drop what you have of this set": the set command without block numbers.
void SendCancel(UploadSession& session, CommandBuffer& command) {
    FormatSetCommand(command, session.SetName());
    session.SendUnchecked(command.data());
}

ResultCode SendLinePairs(ModuleLink& link, UploadSession& session) {
    std::FILE* stream = session.File().Stream();
    std::array<char, BlockBufferSize> block{};
    std::array<char, BlockBufferSize> second{};
    CommandBuffer command{};

    const std::optional<int32_t> declared = ReadHeader(stream, block);
    if (!declared) {
        return ResultInvalidFile;
    }
    // A negative count is taken as the large unsigned number it is.
    const uint32_t lines = static_cast<uint32_t>(*declared);
    const uint32_t blocks = (lines >> 1) + (lines & 1);

    const std::span<uint8_t> blockBytes(reinterpret_cast<uint8_t*>(block.data()), block.size());
    for (uint32_t i = 1; i <= blocks; ++i) {
        if (session.StopHere()) {
            SendCancel(session, command);
            return ResultOk;
        }
        // The first line leaves room for the second to be joined to it.
        const TextLine first =
            TextParameterUpload::ReadLine(stream, std::span(block).first(BlockBufferSize - 1));
        const TextLine next = TextParameterUpload::ReadLine(stream, second);
        const bool exhausted = first.length + next.length == 0;
        bool confirmed = false;
        if (!exhausted && JoinPair(block, first, second.data(), next)) {
            FormatNumberedBlockCommand(command, session.SetName(), i, blocks);
            // No binary record to give a module that asks for one.
            confirmed = link.SendBlock(command.data(), blockBytes, 0, session.Reply(),
                                       ReplyBufferSize) == BlockResult::Confirmed;
        }
        if (!confirmed) {
            SendCancel(session, command);
            // Whatever went wrong with the block, the operator is told the file did not go in.
            return ResultInvalidFile;
        }
        session.Accepted(static_cast<uint16_t>(2 * i), static_cast<uint16_t>(lines));
    }
    return ResultOk;
}

}  // namespace

TextParameterUpload::TextParameterUpload() : TextParameterUpload(platform::Platform::System()) {}

TextParameterUpload::TextParameterUpload(platform::Platform& platform)
    : link(new (std::nothrow) ModuleLink(platform)), platform(platform) {}

TextParameterUpload::~TextParameterUpload() = default;

UploadOutcome TextParameterUpload::Upload(const UploadJob& job, const ProgressCallback& progress,
                                          StopRequest* stop) {
    UploadSession session(link.get(), platform.clock, ClosingPause, job, progress, stop);
    return session.Run([&] { return SendLinePairs(*link, session); });
}

}  // namespace corvane
