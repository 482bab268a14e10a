#include "tests/support/FakeSerialPort.h"

#include <algorithm>

namespace corvane::test {

void FakeSerialPort::Record(EventKind kind, uint32_t value, bool ok, std::string text) {
    log.Add({.kind = kind, .text = std::move(text), .value = value, .ok = ok});
}

bool FakeSerialPort::Open(const std::string& device, uint32_t rate) {
    lastError.clear();
    open = !failOpen && !refusedRates.contains(rate);
    Record(EventKind::Open, rate, open, device);
    if (!open) {
        lastError = failOpen ? openFailure : "does not take " + std::to_string(rate) + " baud";
        return false;
    }
    this->rate = Held(rate);
    // As a driver sets the line up: DTR low until the module is reset, RTS high.
    dtrHigh = false;
    rtsHigh = true;
    return true;
}

void FakeSerialPort::Close() {
    Record(EventKind::Close);
    open = false;
    dtrHigh = false;
    rtsHigh = false;
    incoming.clear();
}

bool FakeSerialPort::SetRate(uint32_t newRate) {
    const bool taken = open && !refusedRates.contains(newRate);
    if (taken) {
        rate = Held(newRate);
    }
    const bool held = taken && rate == newRate;
    Record(EventKind::SetRate, newRate, held);
    return held;
}

bool FakeSerialPort::SetDtr(bool high) {
    Record(EventKind::SetDtr, high ? 1 : 0);
    if (open) {
        dtrHigh = high;
    }
    return open;
}

bool FakeSerialPort::SetRts(bool high) {
    Record(EventKind::SetRts, high ? 1 : 0);
    if (open) {
        rtsHigh = high;
    }
    return open;
}

bool FakeSerialPort::Purge() {
    Record(EventKind::Purge);
    while (open && HasArrived()) {
        incoming.pop_front();
    }
    return open;
}

size_t FakeSerialPort::Write(std::span<const uint8_t> bytes) {
    Record(EventKind::Write, 0, true, std::string(bytes.begin(), bytes.end()));
    if (!open || failWrites || HungUp()) {
        return 0;
    }
    if (module) {
        module(bytes);
    }
    return bytes.size();
}

std::optional<uint8_t> FakeSerialPort::ReadByte() {
    ++readCalls;
    if (!open || failReads) {
        clock.Advance(LongestEmptyReadMs);
        return std::nullopt;
    }
    if (!HasArrived()) {
        uint64_t wait = LongestEmptyReadMs;
        if (!incoming.empty()) {
            wait = std::min(wait, incoming.front().arrival - clock.Elapsed());
        }
        clock.Advance(wait);
        if (!HasArrived()) {
            return std::nullopt;
        }
    }
    const uint8_t byte = incoming.front().byte;
    incoming.pop_front();
    return byte;
}

void FakeSerialPort::Deliver(std::span<const uint8_t> bytes, uint64_t delayMs) {
    uint64_t arrival = clock.Elapsed() + delayMs;
    if (!incoming.empty()) {
        arrival = std::max(arrival, incoming.back().arrival);
    }
    for (uint8_t b : bytes) {
        incoming.push_back({b, arrival});
    }
}

void FakeSerialPort::HangUp(uint64_t delayMs) {
    hangUpAt = clock.Elapsed() + delayMs;
    if (!incoming.empty()) {
        hangUpAt = std::max(*hangUpAt, incoming.back().arrival);
    }
}

void FakeSerialPort::Deliver(std::string_view text, uint64_t delayMs) {
    Deliver(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()), delayMs);
}

uint32_t FakeSerialPort::Held(uint32_t asked) const {
    const auto rounded = roundedRates.find(asked);
    return rounded != roundedRates.end() ? rounded->second : asked;
}

bool FakeSerialPort::HasArrived() const {
    return !incoming.empty() && incoming.front().arrival <= clock.Elapsed();
}

}  // namespace corvane::test
