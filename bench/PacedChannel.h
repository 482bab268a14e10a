#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>

namespace corvane::bench {

// One direction of a serial line. The sending UART puts its bytes on the wire one after
// another, each taking ten bit times (start bit, eight data bits, stop bit) at the rate in force
// when it was handed over; a byte is at the far end once its stop bit is through. Times are
// nanoseconds on any one clock.
class PacedChannel {
  public:
    // A rate of 0 stands for a line without wire time.
    void Send(std::span<const uint8_t> bytes, uint32_t rate, uint64_t nowNs);

    // When the oldest byte still on the wire arrives; nothing when the line is idle.
    std::optional<uint64_t> NextArrival() const;
    // When the newest byte on the wire arrives; nothing when the line is idle.
    std::optional<uint64_t> LastArrival() const;
    // Copies the bytes that have arrived by nowNs, oldest first, as far as they were sent at the
    // rate of the oldest and as out takes them; returns how many, and that rate in rate.
    size_t Arrived(uint64_t nowNs, std::span<uint8_t> out, uint32_t& rate) const;
    // Takes the oldest count bytes off the line once they have been passed on, and tells when
    // the last of them arrived (0 when there was none).
    uint64_t Consume(size_t count);

  private:
    struct Byte {
        uint8_t value;
        uint32_t rate;
        uint64_t arrivalNs;
    };

    std::deque<Byte> wire;
    uint64_t freeAtNs = 0;  // when the last byte handed over will be through
};

}  // namespace corvane::bench
