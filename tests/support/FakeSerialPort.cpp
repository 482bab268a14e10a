#include "tests/support/FakeSerialPort.h"

#include <algorithm>

namespace corvane::test {

void FakeSerialPort::Record(EventKind kind, uint32_t value, std::string text) {
    log.Add({.kind = kind, .text = std::move(text), .value = value});
}

bool FakeSerialPort::Open(const std::string& deviceName) {
    open = !failOpen;
    Record(EventKind::Open, open ? 1 : 0, deviceName);
    return open;
}

void FakeSerialPort::Close() {
    Record(EventKind::Close);
    open = false;
    dtrHigh = false;
    rtsHigh = false;
    incoming.clear();
}

bool FakeSerialPort::SetCommState(const platform::LineSettings& settings) {
    const bool accepted = open && !refusedRates.contains(settings.BaudRate);
    log.Add({.kind = EventKind::SetCommState, .value = accepted ? 1u : 0u, .settings = settings});
    if (accepted) {
        kept = settings;
    }
    return accepted;
}

bool FakeSerialPort::GetCommState(platform::LineSettings& settings) {
    if (!open || failGetCommState) {
        return false;
    }
    settings = kept;
    settings.BaudRate = Rate();
    log.Add({.kind = EventKind::GetCommState, .settings = settings});
    return true;
}

bool FakeSerialPort::SetCommTimeouts(const platform::CommTimeouts& timeouts) {
    const bool accepted = open && !refuseTimeouts;
    log.Add(
        {.kind = EventKind::SetCommTimeouts, .value = accepted ? 1u : 0u, .timeouts = timeouts});
    return accepted;
}

bool FakeSerialPort::EscapeCommFunction(platform::EscapeFunction function) {
    Record(EventKind::Escape, static_cast<uint32_t>(function));
    if (!open) {
        return false;
    }
    switch (function) {
        case platform::EscapeFunction::SETRTS:
            rtsHigh = true;
            break;
        case platform::EscapeFunction::SETDTR:
            dtrHigh = true;
            break;
        case platform::EscapeFunction::CLRDTR:
            dtrHigh = false;
            break;
    }
    return true;
}

bool FakeSerialPort::PurgeComm(uint32_t flags) {
    Record(EventKind::Purge, flags);
    if (!open) {
        return false;
    }
    if ((flags & platform::PURGE_RXCLEAR) != 0) {
        while (HasArrived()) {
            incoming.pop_front();
        }
    }
    return true;
}

bool FakeSerialPort::WriteFile(const uint8_t* bytes, uint32_t count, uint32_t& written) {
    written = 0;
    Record(EventKind::Write, 0, std::string(reinterpret_cast<const char*>(bytes), count));
    if (!open || failWrites) {
        return false;
    }
    written = count;
    if (module) {
        module(std::span<const uint8_t>(bytes, count));
    }
    return true;
}

bool FakeSerialPort::ReadFile(uint8_t& byte, uint32_t& read) {
    ++readCalls;
    read = 0;
    if (!open || failReads) {
        clock.Advance(LongestEmptyReadMs);
        return false;
    }
    if (!HasArrived()) {
        uint64_t wait = LongestEmptyReadMs;
        if (!incoming.empty()) {
            wait = std::min(wait, incoming.front().arrival - clock.Elapsed());
        }
        clock.Advance(wait);
        if (!HasArrived()) {
            return true;
        }
    }
    byte = incoming.front().byte;
    incoming.pop_front();
    read = 1;
    return true;
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

void FakeSerialPort::Deliver(std::string_view text, uint64_t delayMs) {
    Deliver(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()), delayMs);
}

bool FakeSerialPort::HasArrived() const {
    return !incoming.empty() && incoming.front().arrival <= clock.Elapsed();
}

}  // namespace corvane::test
