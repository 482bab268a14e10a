#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/SerialPort.h"

// The kernel's termios record; its header clashes with <termios.h>.
struct termios2;

namespace corvane::platform::posix {

// A serial line through the terminal interface. The descriptor is non-blocking for its whole
// life: every wait is a poll() bounded in milliseconds (the driver's own read timer counts
// tenths of a second, far too coarse for a 20 ms empty read).
class PosixSerialPort final : public SerialPort {
  public:
    PosixSerialPort();
    ~PosixSerialPort() override;
    PosixSerialPort(const PosixSerialPort&) = delete;
    PosixSerialPort& operator=(const PosixSerialPort&) = delete;

    // Fails for anything that is not a terminal (a regular file, /dev/null), without opening it
    // for reading and writing, and for the operator's own terminal and the consoles. Not
    // exclusive: others may open the device too. Close puts back the line settings it found.
    bool Open(const std::string& device, uint32_t rate) override;
    bool IsOpen() const override { return fd >= 0; }
    void Close() override;
    bool SetRate(uint32_t rate) override;
    bool SetDtr(bool high) override;
    bool SetRts(bool high) override;
    bool Purge() override;
    // Does not wait for the bytes to leave the adapter.
    size_t Write(std::span<const uint8_t> bytes) override;
    std::optional<uint8_t> ReadByte() override;
    std::string LastError() const override { return lastError; }
    std::vector<PortHolder> OtherHolders(const std::string& device) const override;

  private:
    // Sets the raw line up at the rate; false, saying why, when the driver refuses it.
    bool ApplyLine(uint32_t rate);
    // True when poll() reports the descriptor ready for events (or hung up) before deadline.
    bool WaitFor(short events, uint64_t deadline) const;
    bool SetModemLine(int line, bool high);

    int fd = -1;
    // The line settings the port had before Open, for Close.
    std::unique_ptr<termios2> found;
    std::string lastError;
};

}  // namespace corvane::platform::posix
