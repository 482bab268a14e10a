#include "bench/PacedChannel.h"

#include <algorithm>

namespace corvane::bench {

namespace {

constexpr uint64_t BitsPerByte = 10;
constexpr uint64_t NanosecondsPerSecond = 1'000'000'000;

uint64_t ByteTimeNs(uint32_t rate) {
    return rate == 0 ? 0 : BitsPerByte * NanosecondsPerSecond / rate;
}

}  // namespace

void PacedChannel::Send(std::span<const uint8_t> bytes, uint32_t rate, uint64_t nowNs) {
    const uint64_t byteTime = ByteTimeNs(rate);
    // An idle line starts at once; a busy one sends behind what it already holds.
    uint64_t arrival = std::max(freeAtNs, nowNs);
    for (const uint8_t value : bytes) {
        arrival += byteTime;
        wire.push_back({value, rate, arrival});
    }
    freeAtNs = arrival;
}

std::optional<uint64_t> PacedChannel::NextArrival() const {
    if (wire.empty()) {
        return std::nullopt;
    }
    return wire.front().arrivalNs;
}

std::optional<uint64_t> PacedChannel::LastArrival() const {
    if (wire.empty()) {
        return std::nullopt;
    }
    return wire.back().arrivalNs;
}

size_t PacedChannel::Arrived(uint64_t nowNs, std::span<uint8_t> out, uint32_t& rate) const {
    size_t count = 0;
    rate = wire.empty() ? 0 : wire.front().rate;
    for (const Byte& byte : wire) {
        if (count == out.size() || byte.arrivalNs > nowNs || byte.rate != rate) {
            break;
        }
        out[count++] = byte.value;
    }
    return count;
}

uint64_t PacedChannel::Consume(size_t count) {
    count = std::min(count, wire.size());
    const uint64_t lastArrival = count == 0 ? 0 : wire[count - 1].arrivalNs;
    wire.erase(wire.begin(), wire.begin() + static_cast<std::ptrdiff_t>(count));
    return lastArrival;
}

}  // namespace corvane::bench
