#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "link/RadioPowerLibrary.h"
#include "platform/Platform.h"

namespace corvane {

inline constexpr uint32_t ReplyBufferSize = 2000;
// The module's binary write takes at most this many bytes per block.
inline constexpr uint32_t LargestBinaryBlock = 1023;

// How one block went. DataRefused: the link sent nothing of the data, because it does not fit
// what the module asked for (a binary record it has none of or that is too long, a text without
// room for its end); what that means to the operator is the caller's to say.
enum class BlockResult { Confirmed, DataRefused, Unconfirmed, WrongModuleType };

// The rate search goes this many times over its rates, with a reset before each pass.
inline constexpr int RateSearchPasses = 2;

// The rates one pass of the search probes, in order: the configured rate, then the others it
// knows, without the configured one again.
struct RateProbeOrder {
    std::array<uint32_t, 6> rates{};
    size_t count = 0;

    explicit RateProbeOrder(uint32_t configuredRate);
    std::span<const uint32_t> Rates() const& { return std::span(rates).first(count); }
    // The span would point into a temporary that is gone before the span is used.
    std::span<const uint32_t> Rates() const&& = delete;
};

// The serial connection to the radio module: port, power control and the AT dialogue.
class ModuleLink {
  public:
    explicit ModuleLink(platform::Platform& platform);
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

    // The rate at which the module answered "AT\r", with the line left at it; nothing when it
    // answered at none, or when stopped, asked before each reset and each probe, said yes.
    std::optional<uint32_t> DetectBaudRate(uint32_t configuredRate,
                                           const std::function<bool()>& stopped = {});
    // Whether the module echoes, as the last rate search heard it: at the rate found (unless the
    // probe's capture began with its answer and held no echo), or at any rate when it answered
    // at none. Until a search tells, it is taken to echo. A module that does not echo has none
    // of its reply skipped as echo: a numeric "0" confirming a block that begins with 0 is the
    // reply.
    bool Echoes() const { return echoes; }
    // Sends a zero-ended command, skips its echo and captures the reply (at most capacity - 1
    // bytes, never more than reply.size() - 1). False when no reply came within 5000 ms.
    bool SendCommand(const char* command, std::span<char> reply, uint32_t capacity);
    // As SendCommand for bytes already written: no purge, no write, no settling pause.
    bool AwaitReply(std::span<const uint8_t> sent, std::span<char> reply, uint32_t capacity);
    // Sends a block command, then the data in the mode the module asks for. In binary mode
    // ("CONNECT", or the numeric result 1 alone) the first recordLength bytes of data go out; a
    // length of 0 (no record), from 1024 on or beyond data.size() is refused. In text mode (the
    // prompt) data holds zero-ended text, Ctrl-Z and a zero byte are put behind it in the
    // caller's buffer, and at most confirmationCapacity - 1 bytes of the module's confirmation
    // are kept; a text without room for both bytes in data is refused. Nothing is sent after a
    // refusal. A record (recordLength above 0) is never sent as text: the prompt then gets ESC
    // and WrongModuleType. A command left unanswered is followed by ESC as well, which ends a
    // text entry that a late answer would have opened.
    BlockResult SendBlock(const char* command, std::span<uint8_t> data, uint32_t recordLength,
                          std::span<char> reply, uint32_t confirmationCapacity);

    bool IsOpen() const;
    // Why the port did not open or refused a rate, in the operator's words; may be empty.
    std::string PortError() const;
    // The other programs that have the port open, for telling the operator; see SerialPort.
    std::vector<platform::PortHolder> OtherPortHolders(const std::string& portName) const;

  private:
    // Purge, pause, write: how every command goes out.
    void PurgeAndWrite(std::span<const uint8_t> command);
    // Skips the echo of `sent` and captures the reply that follows; see SendCommand.
    bool CaptureReply(std::span<const uint8_t> sent, std::span<char> reply, uint32_t capacity,
                      uint32_t startTick, bool settleAfterFirstByte);
    // Stores bytes behind the first `stored` of text until a read brings none or text is full
    // (a byte arriving then is dropped), and ends the text with a zero byte. text is not empty.
    void CaptureUntilSilence(std::span<char> text, size_t stored);
    // The search itself, without what it learns of the echo.
    std::optional<uint32_t> SearchRate(uint32_t configuredRate,
                                       const std::function<bool()>& stopped);
    // Writes "AT\r" at the rate and tells whether the module answered; notes its echo.
    bool AnswersProbeAt(uint32_t rate);
    // Ends a text entry that the module may have opened, without storing anything.
    void LeaveTextEntry();
    BlockResult SendBinaryBlock(std::span<const uint8_t> data, uint32_t recordLength,
                                std::span<char> reply, BlockResult failure);
    BlockResult SendTextBlock(std::span<uint8_t> data, std::span<char> reply, uint32_t capacity,
                              BlockResult failure);

    platform::Platform& platform;
    RadioPowerLibrary power;
    bool echoes = true;
    // The echo of "AT\r" in the current search's probes: heard in any, and (as far as the answer
    // tells) in the latest answered one.
    struct {
        bool anywhere = false;
        bool inAnswer = false;
    } probeEcho;
};

}  // namespace corvane
