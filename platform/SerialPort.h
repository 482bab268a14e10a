#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace corvane::platform {

// A program other than this one that has a port open.
struct PortHolder {
    std::string program;
    uint32_t pid = 0;

    bool operator==(const PortHolder&) const = default;
};

// The serial line to the module, in the link's words. Each backend sets its operating system's
// port up the one way the module needs it (raw 8 data bits, no parity, one stop bit, no flow
// control, DTR low and RTS high after opening, a 10 + 10 ms one-byte read time-out and a
// 10 ms-per-byte + 10 ms write time-out); nothing of that is a caller's choice. Results are
// reported, never thrown.
class SerialPort {
  public:
    virtual ~SerialPort() = default;

    // Opens the device by name for reading and writing, shared with other programs, and sets
    // the line up at the rate. False, with the port closed, when the device does not open, is
    // not a serial port or refuses the settings; a driver that takes the rate but runs at a
    // rounded one is not refused.
    virtual bool Open(const std::string& device, uint32_t rate) = 0;
    virtual bool IsOpen() const = 0;
    virtual void Close() = 0;

    // Sets the rate and reads back the one the driver runs at: false unless that is exactly this
    // rate. A rate the driver refuses leaves the line at the previous one; a rate it rounds
    // leaves the line at the rounded one, which is not undone. Callers judge a rate by whether
    // the module answers at it. Never moves DTR or RTS.
    virtual bool SetRate(uint32_t rate) = 0;
    // The modem-control lines. A line without them (a pseudo-terminal) takes these as done.
    virtual bool SetDtr(bool high) = 0;
    virtual bool SetRts(bool high) = 0;
    // Drops what was received and not yet read, and what was written and not yet sent.
    virtual bool Purge() = 0;
    // Writes the bytes; returns how many went out before the write time-out (0 on failure).
    virtual size_t Write(std::span<const uint8_t> bytes) = 0;
    // The next received byte, or nothing once the read time-out passed without one. A hung-up
    // line also gives nothing, after the same wait, so that a caller reading until silence
    // never spins.
    virtual std::optional<uint8_t> ReadByte() = 0;

    // Why the last Open or SetRate failed, in a few words for the operator ("permission denied
    // ..."); empty when the port cannot tell or nothing failed since the last Open.
    virtual std::string LastError() const = 0;

    // The programs other than this one that have the device open (at most a few), as far as
    // the system lets this process see; none where it cannot tell. For telling the operator
    // why a port failed: another program on the line is never a reason to refuse it.
    virtual std::vector<PortHolder> OtherHolders(const std::string& device) const = 0;
};

}  // namespace corvane::platform
