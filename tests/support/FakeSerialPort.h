#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>

#include "platform/SerialPort.h"
#include "tests/support/EventLog.h"
#include "tests/support/VirtualClock.h"

namespace corvane::test {

// A serial port without a wire. Every call except ReadFile goes into the event log, in order,
// with its arguments. Bytes from the "module" are queued with an arrival time on the virtual
// clock:
//   - ReadFile returns an arrived byte at once;
//   - when none has arrived it waits, on the virtual clock, until the next arrival or for
//     20 ms (the longest empty read of the link's time-outs), whichever comes first, and returns
//     the byte if one arrived by then, else succeeds with read = 0;
//   - PurgeComm drops the bytes that have arrived; bytes still on their way stay queued.
// A module hook, called on every WriteFile with the bytes written, lets a test answer commands
// (see ScriptedModule). Failures can be switched on per operation.
class FakeSerialPort : public platform::SerialPort {
  public:
    using Module = std::function<void(std::span<const uint8_t> written)>;
    static constexpr uint32_t LongestEmptyReadMs = 20;

    FakeSerialPort(VirtualClock& clock, EventLog& log) : clock(clock), log(log) {}

    // --- what the link sees
    bool Open(const std::string& deviceName) override;
    bool IsOpen() const override { return open; }
    void Close() override;
    bool SetCommState(const platform::LineSettings& settings) override;
    bool GetCommState(platform::LineSettings& settings) override;
    bool SetCommTimeouts(const platform::CommTimeouts& timeouts) override;
    bool EscapeCommFunction(platform::EscapeFunction function) override;
    bool PurgeComm(uint32_t flags) override;
    bool WriteFile(const uint8_t* bytes, uint32_t count, uint32_t& written) override;
    bool ReadFile(uint8_t& byte, uint32_t& read) override;

    // --- what a test or a module does
    void SetModule(Module module) { this->module = std::move(module); }
    // Queues bytes that arrive delayMs after now (never before bytes queued earlier).
    void Deliver(std::span<const uint8_t> bytes, uint64_t delayMs = 0);
    void Deliver(std::string_view text, uint64_t delayMs = 0);
    size_t PendingBytes() const { return incoming.size(); }

    // The rate the line runs at: the last accepted rate, or the forced one.
    uint32_t Rate() const { return forcedRate.value_or(kept.BaudRate); }
    const platform::LineSettings& KeptSettings() const { return kept; }
    bool DtrHigh() const { return dtrHigh; }
    bool RtsHigh() const { return rtsHigh; }
    uint64_t ReadCalls() const { return readCalls; }

    // --- failures
    void FailOpen(bool fail = true) { failOpen = fail; }
    // SetCommState refuses every record asking for this rate.
    void RefuseRate(uint32_t rate) { refusedRates.insert(rate); }
    void RefuseTimeouts(bool refuse = true) { refuseTimeouts = refuse; }
    void FailGetCommState(bool fail = true) { failGetCommState = fail; }
    // The driver runs at this rate whatever is asked, and GetCommState reports it.
    void ForceRate(std::optional<uint32_t> rate) { forcedRate = rate; }
    void FailReads(bool fail = true) { failReads = fail; }
    void FailWrites(bool fail = true) { failWrites = fail; }

  private:
    struct Incoming {
        uint8_t byte;
        uint64_t arrival;  // virtual ms since the clock started
    };

    void Record(EventKind kind, uint32_t value = 0, std::string text = {});
    bool HasArrived() const;

    VirtualClock& clock;
    EventLog& log;
    Module module;
    std::deque<Incoming> incoming;
    platform::LineSettings kept{};
    bool open = false;
    bool dtrHigh = false;
    bool rtsHigh = false;
    uint64_t readCalls = 0;

    bool failOpen = false;
    std::set<uint32_t> refusedRates;
    bool refuseTimeouts = false;
    bool failGetCommState = false;
    std::optional<uint32_t> forcedRate;
    bool failReads = false;
    bool failWrites = false;
};

}  // namespace corvane::test
