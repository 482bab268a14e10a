#pragma once

#include <array>
#include <cstdint>
#include <ostream>
#include <string>

#include "platform/Clock.h"
#include "platform/SerialPort.h"

namespace corvane::cli {

// A serial port that tells what goes over it. Each line starts with the milliseconds since the
// port object was made:
//     [    412 ms] > AT\r
//     [    431 ms] < AT\r\r\nOK\r\n
// ">" lines are writes, "<" lines the bytes read until the line fell silent (one line per
// burst, not per byte); opening, closing, rate changes and the DTR and RTS lines are noted as
// well. Everything is passed on unchanged.
class TracingSerialPort : public platform::SerialPort {
  public:
    TracingSerialPort(platform::SerialPort& port, platform::Clock& clock, std::ostream& trace);
    ~TracingSerialPort() override;
    TracingSerialPort(const TracingSerialPort&) = delete;
    TracingSerialPort& operator=(const TracingSerialPort&) = delete;

    bool Open(const std::string& device, uint32_t rate) override;
    bool IsOpen() const override { return port.IsOpen(); }
    void Close() override;
    bool SetRate(uint32_t rate) override;
    bool SetDtr(bool high) override;
    bool SetRts(bool high) override;
    bool Purge() override;
    size_t Write(std::span<const uint8_t> bytes) override;
    std::optional<uint8_t> ReadByte() override;
    std::string LastError() const override { return port.LastError(); }
    std::vector<platform::PortHolder> OtherHolders(const std::string& device) const override {
        return port.OtherHolders(device);
    }

  private:
    void Note(uint32_t tick, const std::string& text);
    void NoteNow(const std::string& text);
    // Writes out the burst of bytes read so far, if any.
    void EndReadBurst();

    platform::SerialPort& port;
    platform::Clock& clock;
    std::ostream& trace;
    const uint32_t startTick;
    // The rate last noted: probes that ask again for the rate in force say nothing.
    uint32_t rate = 0;
    // A long burst is written out in pieces of this size.
    std::array<uint8_t, 2048> burst{};
    size_t burstSize = 0;
    uint32_t burstTick = 0;
};

}  // namespace corvane::cli
