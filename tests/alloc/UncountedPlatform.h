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

    bool Open(const std::string& device, uint32_t rate) override {
        const heap::Uncounted fake;
        return port.Open(device, rate);
    }
    bool IsOpen() const override {
        const heap::Uncounted fake;
        return port.IsOpen();
    }
    void Close() override {
        heap::Disarm();
        port.Close();
    }
    bool SetRate(uint32_t rate) override {
        const heap::Uncounted fake;
        return port.SetRate(rate);
    }
    bool SetDtr(bool high) override {
        const heap::Uncounted fake;
        return port.SetDtr(high);
    }
    bool SetRts(bool high) override {
        const heap::Uncounted fake;
        return port.SetRts(high);
    }
    bool Purge() override {
        const heap::Uncounted fake;
        return port.Purge();
    }
    size_t Write(std::span<const uint8_t> bytes) override {
        if (!heap::Armed() && armedWrites == 0) {
            heap::Arm();
        }
        armedWrites += heap::Armed() ? 1 : 0;
        const heap::Uncounted fake;
        return port.Write(bytes);
    }
    std::optional<uint8_t> ReadByte() override {
        const heap::Uncounted fake;
        return port.ReadByte();
    }
    std::string LastError() const override {
        const heap::Uncounted fake;
        return port.LastError();
    }
    std::vector<platform::PortHolder> OtherHolders(const std::string& device) const override {
        const heap::Uncounted fake;
        return port.OtherHolders(device);
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
