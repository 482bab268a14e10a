#include <gtest/gtest.h>

#include <array>
#include <string_view>

#include "bench/PacedChannel.h"

namespace corvane::bench {
namespace {

constexpr uint64_t Ms = 1'000'000;  // ns
// 10 bits at 10000 bit/s: one byte per millisecond.
constexpr uint32_t OneBytePerMs = 10000;

std::span<const uint8_t> Bytes(std::string_view text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

// What has arrived by then, as text, and the rate it was sent at.
std::string ArrivedBy(const PacedChannel& line, uint64_t time, uint32_t& rate) {
    std::array<uint8_t, 64> out{};
    const size_t count = line.Arrived(time, out, rate);
    return std::string(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(count));
}

TEST(PacedChannel, EachByteArrivesTenBitTimesAfterThePreviousOne) {
    PacedChannel line;
    line.Send(Bytes("ABC"), OneBytePerMs, 5 * Ms);
    uint32_t rate = 0;

    EXPECT_EQ(line.NextArrival(), 6 * Ms);
    EXPECT_EQ(line.LastArrival(), 8 * Ms);
    EXPECT_EQ(ArrivedBy(line, 6 * Ms - 1, rate), "");
    EXPECT_EQ(ArrivedBy(line, 7 * Ms, rate), "AB");
    EXPECT_EQ(rate, OneBytePerMs);
    EXPECT_EQ(line.Consume(2), 7 * Ms);  // when the last byte taken off arrived
    EXPECT_EQ(line.NextArrival(), 8 * Ms);
    EXPECT_EQ(line.Consume(5), 8 * Ms);
    EXPECT_EQ(line.NextArrival(), std::nullopt);
    EXPECT_EQ(line.LastArrival(), std::nullopt);
    EXPECT_EQ(line.Consume(1), 0u);
}

TEST(PacedChannel, ABusyLineSendsNewBytesBehindTheOldOnesAnIdleOneAtOnce) {
    PacedChannel line;
    line.Send(Bytes("AB"), OneBytePerMs, 0);
    line.Send(Bytes("C"), OneBytePerMs, 1 * Ms);  // B still on the wire
    EXPECT_EQ(line.LastArrival(), 3 * Ms);
    line.Consume(2);
    EXPECT_EQ(line.NextArrival(), 3 * Ms);

    line.Consume(1);
    line.Send(Bytes("D"), OneBytePerMs, 10 * Ms);  // idle since 3 ms
    EXPECT_EQ(line.NextArrival(), 11 * Ms);
}

TEST(PacedChannel, BytesSentAtAnotherRateArePassedOnSeparately) {
    PacedChannel line;
    line.Send(Bytes("AT"), 2 * OneBytePerMs, 0);  // half a millisecond each
    line.Send(Bytes("\r"), OneBytePerMs, 0);
    line.Send(Bytes("OK"), 0, 0);  // no rate: no wire time
    uint32_t rate = 0;

    EXPECT_EQ(ArrivedBy(line, 10 * Ms, rate), "AT");
    EXPECT_EQ(rate, 2 * OneBytePerMs);
    line.Consume(2);
    EXPECT_EQ(line.NextArrival(), 2 * Ms);
    EXPECT_EQ(ArrivedBy(line, 10 * Ms, rate), "\r");
    EXPECT_EQ(rate, OneBytePerMs);
    line.Consume(1);
    EXPECT_EQ(line.NextArrival(), 2 * Ms);
    EXPECT_EQ(ArrivedBy(line, 2 * Ms, rate), "OK");
    EXPECT_EQ(rate, 0u);
}

}  // namespace
}  // namespace corvane::bench
