#pragma once

#include <cstdint>
#include <string>

#include "platform/SerialPort.h"

namespace corvane::platform::posix {

// A serial line through the terminal interface. The descriptor is non-blocking for its whole
// life: every wait is a poll() bounded by the record's time-outs, in milliseconds (the driver's
// own read timer counts tenths of a second, far too coarse for a 20 ms empty read).
// A zero total time-out means "what is there now": reads and writes then do not wait at all.
class PosixSerialPort final : public SerialPort {
  public:
    PosixSerialPort() = default;
    ~PosixSerialPort() override;
    PosixSerialPort(const PosixSerialPort&) = delete;
    PosixSerialPort& operator=(const PosixSerialPort&) = delete;

    // Fails for anything that is not a terminal (a regular file, /dev/null). Not exclusive:
    // like the shared read/write open of the original port, others may open it too.
    bool Open(const std::string& deviceName) override;
    bool IsOpen() const override { return fd >= 0; }
    void Close() override;

    // Refuses a record termios cannot carry, and a rate the driver does not then hold (the
    // previous settings are put back): a rate is never changed silently.
    bool SetCommState(const LineSettings& settings) override;
    // The record last applied, overlaid with what the driver holds, the rate included.
    bool GetCommState(LineSettings& settings) override;
    bool SetCommTimeouts(const CommTimeouts& timeouts) override;
    // A line without modem-control lines (a pseudo-terminal) takes these without error.
    bool EscapeCommFunction(EscapeFunction function) override;
    bool PurgeComm(uint32_t flags) override;
    // Gives up after WriteTotalTimeoutMultiplier x count + WriteTotalTimeoutConstant ms,
    // succeeding with what went out. Does not wait for the bytes to leave the adapter.
    bool WriteFile(const uint8_t* bytes, uint32_t count, uint32_t& written) override;
    // Empty after ReadTotalTimeoutMultiplier + ReadTotalTimeoutConstant ms. A hung-up line
    // (adapter pulled, pseudo-terminal master closed) fails, but only after that same wait, so a
    // caller reading until empty never spins.
    bool ReadFile(uint8_t& byte, uint32_t& read) override;
    std::string LastError() const override { return lastError; }

  private:
    // True when poll() reports the descriptor ready for events (or hung up) before deadline.
    bool WaitFor(short events, uint64_t deadline) const;
    bool SetModemLine(int line, bool high);
    void ApplyLineControl(const LineSettings& settings);

    int fd = -1;
    CommTimeouts timeouts{};
    LineSettings applied{};
    bool lineControlApplied = false;
    std::string lastError;
};

}  // namespace corvane::platform::posix
