#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/link/LinkTestFixture.h"
#include "tests/support/FakeModem.h"
#include "tests/support/ScriptedReplies.h"

namespace corvane {
namespace {

using test::EventKind;
using test::GuardedBuffer;
using testing::Each;
using testing::ElementsAre;
using testing::Eq;

const uint8_t Probe[] = {'A', 'T', '\r'};

class ReplyCaptureTest : public test::OpenLinkTest {};

TEST_F(ReplyCaptureTest, SendCommandPurgesPausesWritesAndLetsTheReplySettle) {
    test::FakeModem module(fake.port, {});
    GuardedBuffer<ReplyBufferSize> reply;

    EXPECT_TRUE(link.SendCommand("AT\r", reply.Span(), ReplyBufferSize));

    EXPECT_EQ(reply.Text(), "\r\nOK\r\n");
    EXPECT_THAT(fake.log.Lines(), ElementsAre("Purge", "Sleep 50", "Write AT\\r", "Sleep 50"));
}

// What arrives after "AT\r" was written, and what the capture makes of it.
struct EchoCase {
    const char* name;
    std::string incoming;
    std::string reply;
};

class EchoSkippingTest : public ReplyCaptureTest, public testing::WithParamInterface<EchoCase> {};

TEST_P(EchoSkippingTest, ReplyStartsAtTheFirstByteThatIsNotTheNextEchoByte) {
    test::ScriptedReplies module(fake.port, {GetParam().incoming});
    GuardedBuffer<ReplyBufferSize> reply;

    EXPECT_TRUE(link.SendCommand("AT\r", reply.Span(), ReplyBufferSize));
    EXPECT_EQ(reply.Text(), GetParam().reply);
}

INSTANTIATE_TEST_SUITE_P(Echo, EchoSkippingTest,
                         testing::Values(EchoCase{"EchoOn", "AT\r\r\nOK\r\n", "\r\nOK\r\n"},
                                         EchoCase{"EchoOff", "\r\nOK\r\n", "\r\nOK\r\n"},
                                         EchoCase{"NumericWithoutEcho", "0\r", "0\r"},
                                         EchoCase{"EchoCutShort", "AERROR\r\n", "ERROR\r\n"},
                                         EchoCase{"FullEchoThenSameBytesAgain", "AT\rAT\r", "AT\r"},
                                         EchoCase{"ReplyStartingLikeTheCommand", "ATE0\r", "E0\r"}),
                         [](const auto& info) { return info.param.name; });

// Silence after the write: false, an empty reply, and the time-out counted from the write, also
// when the tick count wraps around during the wait.
class ReplyTimeoutTest : public test::OpenLinkTest, public testing::WithParamInterface<uint32_t> {
  protected:
    ReplyTimeoutTest() : OpenLinkTest(GetParam()) {}
};

TEST_P(ReplyTimeoutTest, SilenceEndsTheWaitJustAfterFiveSeconds) {
    GuardedBuffer<ReplyBufferSize> reply;
    reply.storage[0] = 'x';

    EXPECT_FALSE(link.SendCommand("AT\r", reply.Span(), ReplyBufferSize));

    EXPECT_EQ(reply.storage[0], 0);
    EXPECT_TRUE(reply.UntouchedFrom(1));
    const uint64_t written = fake.log.OfKind(EventKind::Write).back().time;
    const uint64_t waited = fake.clock.Elapsed() - written;
    EXPECT_GE(waited, 5000u);
    EXPECT_LE(waited, 5000u + 30u) << "one empty read and one pause at most beyond the limit";
    EXPECT_THAT(std::vector<uint32_t>(fake.clock.Sleeps().begin() + 1, fake.clock.Sleeps().end()),
                Each(Eq(10u)))
        << "only the pauses after empty reads follow the write";
}

TEST_P(ReplyTimeoutTest, AwaitReplyGivesUpAfterFiveSecondsWithoutWriting) {
    GuardedBuffer<ReplyBufferSize> reply;

    EXPECT_FALSE(link.AwaitReply(Probe, reply.Span(), ReplyBufferSize));

    EXPECT_EQ(reply.Text(), "");
    EXPECT_GE(fake.clock.Elapsed(), 5000u);
    EXPECT_LE(fake.clock.Elapsed(), 5030u);
    EXPECT_THAT(fake.log.Lines({EventKind::Write, EventKind::Purge}), testing::IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(StartTicks, ReplyTimeoutTest,
                         testing::Values(0u, 0xFFFFFFFFu - 2500u, 0xFFFFFFFFu));

TEST_F(ReplyCaptureTest, ReplyArrivingJustBeforeTheLimitIsCaughtAndJustAfterIsNot) {
    GuardedBuffer<ReplyBufferSize> reply;

    fake.port.Deliver("\r\nOK\r\n", 4999);
    EXPECT_TRUE(link.AwaitReply(Probe, reply.Span(), ReplyBufferSize));
    EXPECT_EQ(reply.Text(), "\r\nOK\r\n");

    const uint64_t start = fake.clock.Elapsed();
    fake.port.Deliver("\r\nOK\r\n", 5001);
    EXPECT_FALSE(link.AwaitReply(Probe, reply.Span(), ReplyBufferSize));
    EXPECT_LE(fake.clock.Elapsed() - start, 5030u);
    EXPECT_EQ(reply.Text(), "");
}

TEST_F(ReplyCaptureTest, OnlySendCommandWaitsForTheRestOfAReplyThatPauses) {
    GuardedBuffer<ReplyBufferSize> reply;

    // The module stops for 40 ms inside its reply: longer than an empty read, shorter than the
    // pause SendCommand makes after the first reply byte.
    fake.port.SetModule([this](std::span<const uint8_t>) {
        fake.port.Deliver("\r\nO", 5);
        fake.port.Deliver("K\r\n", 45);
    });
    EXPECT_TRUE(link.SendCommand("AT\r", reply.Span(), ReplyBufferSize));
    EXPECT_EQ(reply.Text(), "\r\nOK\r\n");

    fake.port.Deliver("\r\nO", 5);
    fake.port.Deliver("K\r\n", 45);
    EXPECT_TRUE(link.AwaitReply(Probe, reply.Span(), ReplyBufferSize));
    EXPECT_EQ(reply.Text(), "\r\nO");
    fake.port.SetModule(nullptr);
}

// A reply longer than the buffer: capture stops at capacity - 1 bytes and drops one more, and
// nothing is written beyond min(capacity, buffer size).
struct CapacityCase {
    uint32_t capacity;
    size_t replyLength;
    size_t stored;
};

class ReplyCapacityTest : public ReplyCaptureTest,
                          public testing::WithParamInterface<CapacityCase> {};

TEST_P(ReplyCapacityTest, CaptureNeverPassesTheBuffer) {
    const CapacityCase& c = GetParam();
    GuardedBuffer<ReplyBufferSize> reply;
    const std::string incoming(c.replyLength, 'r');
    fake.port.Deliver(incoming);

    EXPECT_TRUE(link.AwaitReply(Probe, reply.Span(), c.capacity));

    const size_t usable = std::min<size_t>(c.capacity, ReplyBufferSize);
    if (usable > 0) {
        EXPECT_EQ(reply.storage[c.stored], 0);
    }
    EXPECT_EQ(reply.Text(), incoming.substr(0, c.stored));
    EXPECT_TRUE(reply.UntouchedFrom(std::max<size_t>(usable, 1)));
    const size_t dropped = c.replyLength > c.stored ? 1 : 0;
    EXPECT_EQ(fake.port.PendingBytes(), c.replyLength - c.stored - dropped)
        << "the rest stays in the driver";
}

INSTANTIATE_TEST_SUITE_P(Capacities, ReplyCapacityTest,
                         testing::Values(CapacityCase{2000, 2500, 1999},
                                         CapacityCase{2000, 1999, 1999},
                                         CapacityCase{2000, 2000, 1999},
                                         CapacityCase{60000, 2500, 1999}, CapacityCase{10, 20, 9},
                                         CapacityCase{2, 5, 1}, CapacityCase{1, 5, 0},
                                         CapacityCase{0, 5, 0}),
                         [](const auto& info) {
                             return "Capacity" + std::to_string(info.param.capacity) + "Reply" +
                                    std::to_string(info.param.replyLength);
                         });

}  // namespace
}  // namespace corvane
