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
// burst, not per byte); opening, closing, rate changes and the DTR line are noted as well.
// Everything else is passed on unchanged.
class TracingSerialPort : public platform::SerialPort {
  public:
    TracingSerialPort(platform::SerialPort& port, platform::Clock& clock, std::ostream& trace);
    ~TracingSerialPort() override;
    TracingSerialPort(const TracingSerialPort&) = delete;
    TracingSerialPort& operator=(const TracingSerialPort&) = delete;

    bool Open(const std::string& deviceName) override;
    bool IsOpen() const override { return port.IsOpen(); }
    void Close() override;
    bool SetCommState(const platform::LineSettings& settings) override;
    bool GetCommState(platform::LineSettings& settings) override;
    bool SetCommTimeouts(const platform::CommTimeouts& timeouts) override;
    bool EscapeCommFunction(platform::EscapeFunction function) override;
    bool PurgeComm(uint32_t flags) override;
    bool WriteFile(const uint8_t* bytes, uint32_t count, uint32_t& written) override;
    bool ReadFile(uint8_t& byte, uint32_t& read) override;
    std::string LastError() const override { return port.LastError(); }

  private:
    void Note(uint32_t tick, const std::string& text);
    void NoteNow(const std::string& text);
    // Writes out the burst of bytes read so far, if any.
    void EndReadBurst();

    platform::SerialPort& port;
    platform::Clock& clock;
    std::ostream& trace;
    const uint32_t startTick;
    uint32_t rate = 0;
    // A long burst is written out in pieces of this size.
    std::array<uint8_t, 2048> burst{};
    size_t burstSize = 0;
    uint32_t burstTick = 0;
    // A port whose reads fail tends to keep failing: said once until a read succeeds again.
    bool readsFailing = false;
};

}  // namespace corvane::cli
