#pragma once

#include <cstdint>
#include <string>

#include "platform/Clock.h"
#include "platform/SerialPort.h"
#include "tests/alloc/HeapCounter.h"

namespace corvane::test {

// Passes every call on to a fake port without counting what the fake allocates, and arms the
// heap counter for the time the link uses the port: from its first write (the first probe of
// the baud-rate search) until it closes the port. Every exchange and every block of an update
// falls in that window; what the code under test allocates between the calls is counted.
class UncountedPort : public platform::SerialPort {
  public:
    explicit UncountedPort(platform::SerialPort& port) : port(port) {}

    // Writes seen while armed, to show that the window covered the transfer.
    uint32_t ArmedWrites() const { return armedWrites; }

    bool Open(const std::string& deviceName) override {
        const heap::Uncounted fake;
        return port.Open(deviceName);
    }
    bool IsOpen() const override {
        const heap::Uncounted fake;
        return port.IsOpen();
    }
    void Close() override {
        heap::Disarm();
        port.Close();
    }
    bool SetCommState(const platform::LineSettings& settings) override {
        const heap::Uncounted fake;
        return port.SetCommState(settings);
    }
    bool GetCommState(platform::LineSettings& settings) override {
        const heap::Uncounted fake;
        return port.GetCommState(settings);
    }
    bool SetCommTimeouts(const platform::CommTimeouts& timeouts) override {
        const heap::Uncounted fake;
        return port.SetCommTimeouts(timeouts);
    }
    bool EscapeCommFunction(platform::EscapeFunction function) override {
        const heap::Uncounted fake;
        return port.EscapeCommFunction(function);
    }
    bool PurgeComm(uint32_t flags) override {
        const heap::Uncounted fake;
        return port.PurgeComm(flags);
    }
    bool WriteFile(const uint8_t* bytes, uint32_t count, uint32_t& written) override {
        if (!heap::Armed() && armedWrites == 0) {
            heap::Arm();
        }
        armedWrites += heap::Armed() ? 1 : 0;
        const heap::Uncounted fake;
        return port.WriteFile(bytes, count, written);
    }
    bool ReadFile(uint8_t& byte, uint32_t& read) override {
        const heap::Uncounted fake;
        return port.ReadFile(byte, read);
    }

  private:
    platform::SerialPort& port;
    uint32_t armedWrites = 0;
};

// The fake clock records every sleep; that is the test's business, not the link's.
class UncountedClock : public platform::Clock {
  public:
    explicit UncountedClock(platform::Clock& clock) : clock(clock) {}

    uint32_t TickCount() override {
        const heap::Uncounted fake;
        return clock.TickCount();
    }
    void Sleep(uint32_t milliseconds) override {
        const heap::Uncounted fake;
        clock.Sleep(milliseconds);
    }

  private:
    platform::Clock& clock;
};

}  // namespace corvane::test
