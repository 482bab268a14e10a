#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/SerialPort.h"
#include "tests/support/EventLog.h"
#include "tests/support/VirtualClock.h"

namespace corvane::test {

// A serial port without a wire. Every call except ReadByte goes into the event log, in order,
// with its arguments. Bytes from the "module" are queued with an arrival time on the virtual
// clock:
//   - ReadByte returns an arrived byte at once;
//   - when none has arrived it waits, on the virtual clock, until the next arrival or for
//     20 ms (the longest empty read of the line's time-outs), whichever comes first, and returns
//     the byte if one arrived by then, else nothing;
//   - Purge drops the bytes that have arrived; bytes still on their way stay queued.
// A module hook, called on every Write with the bytes written, lets a test answer commands
// (see FakeModem). Failures can be switched on per operation.
class FakeSerialPort : public platform::SerialPort {
  public:
    using Module = std::function<void(std::span<const uint8_t> written)>;
    static constexpr uint32_t LongestEmptyReadMs = 20;

    FakeSerialPort(VirtualClock& clock, EventLog& log) : clock(clock), log(log) {}

    // --- what the link sees
    bool Open(const std::string& device, uint32_t rate) override;
    bool IsOpen() const override { return open; }
    void Close() override;
    bool SetRate(uint32_t rate) override;
    bool SetDtr(bool high) override;
    bool SetRts(bool high) override;
    bool Purge() override;
    size_t Write(std::span<const uint8_t> bytes) override;
    std::optional<uint8_t> ReadByte() override;
    std::string LastError() const override { return lastError; }
    // The holders set with SetOtherHolders, whatever the device.
    std::vector<platform::PortHolder> OtherHolders(const std::string&) const override {
        return otherHolders;
    }

    // --- what a test or a module does
    void SetModule(Module module) { this->module = std::move(module); }
    // Queues bytes that arrive delayMs after now (never before bytes queued earlier).
    void Deliver(std::span<const uint8_t> bytes, uint64_t delayMs = 0);
    void Deliver(std::string_view text, uint64_t delayMs = 0);
    size_t PendingBytes() const { return incoming.size(); }
    // The line drops delayMs from now, behind the bytes queued so far: they can still be read,
    // nothing more comes, and every write fails from then on.
    void HangUp(uint64_t delayMs = 0);
    // Virtual ms since the clock started: the time that deliveries are counted from.
    uint64_t Elapsed() const { return clock.Elapsed(); }

    // The rate the line runs at.
    uint32_t Rate() const { return rate; }
    bool DtrHigh() const { return dtrHigh; }
    bool RtsHigh() const { return rtsHigh; }
    uint64_t ReadCalls() const { return readCalls; }

    // --- failures
    // Open fails, saying why.
    void FailOpen(bool fail = true, std::string reason = "no such device") {
        failOpen = fail;
        openFailure = std::move(reason);
    }
    // The driver refuses this rate, at open and later.
    void RefuseRate(uint32_t rate) { refusedRates.insert(rate); }
    // The driver takes `asked`, at open and later, but runs at `held`, as an adapter that
    // cannot make a rate exactly rounds it.
    void RoundRate(uint32_t asked, uint32_t held) { roundedRates[asked] = held; }
    void FailReads(bool fail = true) { failReads = fail; }
    void FailWrites(bool fail = true) { failWrites = fail; }
    // Other programs that have the port open; they fail nothing.
    void SetOtherHolders(std::vector<platform::PortHolder> holders) {
        otherHolders = std::move(holders);
    }

  private:
    struct Incoming {
        uint8_t byte;
        uint64_t arrival;  // virtual ms since the clock started
    };

    void Record(EventKind kind, uint32_t value = 0, bool ok = true, std::string text = {});
    // The rate the driver runs at when asked for one it takes.
    uint32_t Held(uint32_t asked) const;
    bool HasArrived() const;
    bool HungUp() const { return hangUpAt && clock.Elapsed() >= *hangUpAt; }

    VirtualClock& clock;
    EventLog& log;
    Module module;
    std::deque<Incoming> incoming;
    uint32_t rate = 0;
    bool open = false;
    bool dtrHigh = false;
    bool rtsHigh = false;
    uint64_t readCalls = 0;
    std::optional<uint64_t> hangUpAt;

    bool failOpen = false;
    std::string openFailure;
    std::string lastError;
    std::set<uint32_t> refusedRates;
    std::map<uint32_t, uint32_t> roundedRates;
    bool failReads = false;
    bool failWrites = false;
    std::vector<platform::PortHolder> otherHolders;
};

}  // namespace corvane::test
