#include <algorithm>

#include "link/LinkTiming.h"
#include "link/ModuleLink.h"
#include "link/ReplyText.h"

namespace corvane {

void ModuleLink::PurgeAndWrite(std::span<const uint8_t> command) {
    Purge();
    platform.clock.Sleep(link_timing::BeforeWrite);
    Write(command.data(), static_cast<uint16_t>(command.size()));
}

bool ModuleLink::SendCommand(const char* command, std::span<char> reply, uint32_t capacity) {
    reply_text::Clear(reply);
    const std::span<const uint8_t> bytes = reply_text::CommandBytes(command);
    PurgeAndWrite(bytes);
    return CaptureReply(bytes, reply, capacity, platform.clock.TickCount(), true);
}

bool ModuleLink::AwaitReply(std::span<const uint8_t> sent, std::span<char> reply,
                            uint32_t capacity) {
    reply_text::Clear(reply);
    return CaptureReply(sent, reply, capacity, platform.clock.TickCount(), false);
}

bool ModuleLink::CaptureReply(std::span<const uint8_t> sent, std::span<char> reply,
                              uint32_t capacity, uint32_t startTick, bool settleAfterFirstByte) {
    uint8_t byte = 0;
    size_t echoed = 0;
    for (;;) {
        // Unsigned difference: a wrap-around of the tick count does not end the wait early.
        if (platform.clock.TickCount() - startTick >= link_timing::ReplyTimeout) {
            return false;
        }
        if (!ReadByte(byte)) {
            platform.clock.Sleep(link_timing::AfterEmptyRead);
            continue;
        }
        if (echoes && echoed < sent.size() && byte == sent[echoed]) {
            ++echoed;
            continue;
        }
        break;
    }

    if (settleAfterFirstByte) {
        platform.clock.Sleep(link_timing::AfterFirstReplyByte);
    }
    const std::span<char> text = reply.first(std::min<size_t>(capacity, reply.size()));
    if (text.size() < 2) {
        // No room for even one byte and its terminator: the first byte already fills it.
        return true;
    }
    text[0] = static_cast<char>(byte);
    CaptureUntilSilence(text, 1);
    return true;
}

void ModuleLink::CaptureUntilSilence(std::span<char> text, size_t stored) {
    uint8_t byte = 0;
    while (ReadByte(byte)) {
        if (stored + 1 >= text.size()) {
            break;
        }
        text[stored++] = static_cast<char>(byte);
    }
    text[stored] = 0;
}

}  // namespace corvane
