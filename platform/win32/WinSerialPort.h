#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "platform/SerialPort.h"

namespace corvane::platform::win32 {

// A serial port through the Windows communications calls, opened for synchronous use. The line
// settings and time-outs are this backend's own, filled in one place; the settings applied at
// open are kept, so that a new rate changes nothing else.
class WinSerialPort final : public SerialPort {
  public:
    WinSerialPort() = default;
    ~WinSerialPort() override;
    WinSerialPort(const WinSerialPort&) = delete;
    WinSerialPort& operator=(const WinSerialPort&) = delete;

    bool Open(const std::string& device, uint32_t rate) override;
    bool IsOpen() const override { return handle != INVALID_HANDLE_VALUE; }
    void Close() override;

    bool SetRate(uint32_t rate) override;
    // EscapeCommFunction's own result: it fails on a line without modem-control lines (a Wine
    // COM port mapped to a pseudo-terminal), which the link does not act on.
    bool SetDtr(bool high) override;
    bool SetRts(bool high) override;
    bool Purge() override;
    size_t Write(std::span<const uint8_t> bytes) override;
    std::optional<uint8_t> ReadByte() override;

    std::string LastError() const override { return lastError; }
    // None: Windows shows which process has a device open only to a program that walks every
    // process's handles, which takes the debug privilege.
    std::vector<PortHolder> OtherHolders(const std::string&) const override { return {}; }

  private:
    HANDLE handle = INVALID_HANDLE_VALUE;
    // Held while the port is open: the named mutex that keeps a second update off the port.
    HANDLE updateLock = nullptr;
    DCB kept{};
    std::string lastError;
};

}  // namespace corvane::platform::win32
