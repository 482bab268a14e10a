#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "link/ResultCode.h"
#include "platform/LineSettings.h"
#include "platform/Platform.h"

namespace corvane {

inline constexpr uint32_t ReplyBufferSize = 2000;

// The serial connection to the radio module: port, power control and the AT dialogue.
class ModuleLink {
  public:
    explicit ModuleLink(platform::Platform& platform = platform::Platform::System());
    virtual ~ModuleLink();

    ModuleLink(const ModuleLink&) = delete;
    ModuleLink& operator=(const ModuleLink&) = delete;

    bool Open(const std::string& portName, uint32_t baudRate);
    void Close();
    bool PowerOnAndReset();
    bool PowerOff();
    bool Purge();
    uint16_t Write(const uint8_t* bytes, uint16_t count);
    bool ReadByte(uint8_t& place);
    bool SetBaudRate(uint32_t rate);

    // The rate at which the module answered "AT\r", or -1 when it answered at none.
    int32_t DetectBaudRate(uint32_t configuredRate);
    // Sends a zero-ended command, skips its echo and captures the reply (at most capacity - 1
    // bytes, never more than reply.size() - 1). False when no reply came within 5000 ms.
    bool SendCommand(const char* command, std::span<char> reply, uint32_t capacity);
    // As SendCommand for bytes already written: no purge, no write, no settling pause.
    bool AwaitReply(std::span<const uint8_t> sent, std::span<char> reply, uint32_t capacity);
    // Sends a block command, then the data in the mode the module asks for. In binary mode
    // ("CONNECT") count is the number of bytes of data, refused with ResultInvalidFile from 1024
    // on or beyond data.size(). In text mode (the prompt) data holds zero-ended text, Ctrl-Z and
    // a zero byte are put behind it in the caller's buffer, and count is the capacity for the
    // confirmation; a text without room for both bytes in data is refused with
    // ResultInvalidFile. Nothing is sent after a refusal. A command left unanswered is followed
    // by ESC, which ends a text entry that a late answer would have opened.
    ResultCode SendBlock(const char* command, std::span<uint8_t> data, std::span<char> reply,
                         uint32_t count);

    bool IsOpen() const;
    const platform::LineSettings& Settings() const { return settings; }

  private:
    // Purge, pause, write: how every command goes out.
    void PurgeAndWrite(std::span<const uint8_t> command);
    // Skips the echo of `sent` and captures the reply that follows; see SendCommand.
    bool CaptureReply(std::span<const uint8_t> sent, std::span<char> reply, uint32_t capacity,
                      uint32_t startTick, bool settleAfterFirstByte);
    // Stores bytes behind the first `stored` of text until a read brings none or text is full
    // (a byte arriving then is dropped), and ends the text with a zero byte. text is not empty.
    void CaptureUntilSilence(std::span<char> text, size_t stored);
    // Writes "AT\r" at the rate and tells whether the module answered.
    bool AnswersProbeAt(uint32_t rate);
    ResultCode SendBinaryBlock(std::span<const uint8_t> data, std::span<char> reply, uint32_t count,
                               ResultCode failure);
    ResultCode SendTextBlock(std::span<uint8_t> data, std::span<char> reply, uint32_t capacity,
                             ResultCode failure);

    platform::Platform& platform;
    platform::LineSettings settings{};
};

}  // namespace corvane
