#include <algorithm>
#include <limits>

#include "link/LinkTiming.h"
#include "link/ModuleLink.h"
#include "link/ReplyText.h"

namespace corvane {

namespace {
constexpr uint8_t CtrlZ = 26;
constexpr uint8_t Escape = 27;
constexpr int Attempts = 2;

// CONNECT in either form. In numeric form the whole reply is the result code: a 1 inside a text
// (an error number, say) is no CONNECT.
bool IsConnect(std::span<const char> reply) {
    return reply_text::Contains(reply, "CONNECT") || reply_text::Text(reply) == "1\r";
}
}  // namespace

BlockResult ModuleLink::SendBlock(const char* command, std::span<uint8_t> data,
                                  uint32_t recordLength, std::span<char> reply,
                                  uint32_t confirmationCapacity) {
    // A reply without either marker is remembered even if a later attempt reaches a mode.
    BlockResult failure = BlockResult::Unconfirmed;
    const std::span<const uint8_t> bytes = reply_text::CommandBytes(command);
    for (int attempt = 0; attempt < Attempts; ++attempt) {
        PurgeAndWrite(bytes);
        if (!AwaitReply(bytes, reply, ReplyBufferSize)) {
            // The answer may only be late: a module that has taken the command up after all waits
            // for text, and would store the repeated command as part of the block.
            LeaveTextEntry();
            continue;
        }
        if (IsConnect(reply)) {
            return SendBinaryBlock(data, recordLength, reply, failure);
        }
        if (reply_text::Contains(reply, "\r\n> ")) {
            if (recordLength > 0) {
                // A text module: it would store the record up to its first zero byte as text, and
                // confirm it. It gets nothing, and is asked what the record was for.
                LeaveTextEntry();
                return BlockResult::WrongModuleType;
            }
            return SendTextBlock(data, reply, confirmationCapacity, failure);
        }
        failure = BlockResult::WrongModuleType;
    }
    return failure;
}

void ModuleLink::LeaveTextEntry() {
    // ESC ends a text entry without storing it, and a module in command mode ignores it. It must
    // be on the line before the next purge, which would drop it unsent.
    Write(&Escape, 1);
    platform.clock.Sleep(link_timing::AfterEscape);
}

BlockResult ModuleLink::SendBinaryBlock(std::span<const uint8_t> data, uint32_t recordLength,
                                        std::span<char> reply, BlockResult failure) {
    if (recordLength == 0 || recordLength > LargestBinaryBlock || recordLength > data.size()) {
        return BlockResult::DataRefused;
    }
    const std::span<const uint8_t> block = data.first(recordLength);
    platform.clock.Sleep(link_timing::BeforeWrite);
    Write(block.data(), static_cast<uint16_t>(block.size()));
    if (!AwaitReply(block, reply, ReplyBufferSize)) {
        return failure;
    }
    return reply_text::SaysOk(reply) ? BlockResult::Confirmed : failure;
}

BlockResult ModuleLink::SendTextBlock(std::span<uint8_t> data, std::span<char> reply,
                                      uint32_t capacity, BlockResult failure) {
    const size_t length =
        static_cast<size_t>(std::find(data.begin(), data.end(), uint8_t{0}) - data.begin());
    // Ctrl-Z takes the terminator's place and a new terminator follows: both must fit in the
    // caller's buffer, and the text with its Ctrl-Z must go out in one write.
    if (length + 2 > data.size() || length + 1 > std::numeric_limits<uint16_t>::max()) {
        return BlockResult::DataRefused;
    }
    data[length] = CtrlZ;
    data[length + 1] = 0;
    const std::span<const uint8_t> block = data.first(length + 1);
    platform.clock.Sleep(link_timing::BeforeWrite);
    Write(block.data(), static_cast<uint16_t>(block.size()));
    if (!AwaitReply(block, reply, std::min(capacity, ReplyBufferSize))) {
        return failure;
    }
    return reply_text::SaysOk(reply, "OK\r\n") ? BlockResult::Confirmed : failure;
}

}  // namespace corvane
