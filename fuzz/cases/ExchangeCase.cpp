#include <algorithm>
#include <array>
#include <limits>
#include <optional>
#include <string_view>

#include "fuzz/cases/CaptureJudge.h"
#include "fuzz/cases/Cases.h"
#include "fuzz/cases/FuzzBytes.h"
#include "fuzz/cases/WireWrites.h"
#include "link/ModuleLink.h"
#include "tests/support/FakePlatform.h"
#include "tests/support/ScriptedReplies.h"

// Input layout: one set-up byte (echo, reply latency, tick count near its wrap-around), then up
// to MaxExchanges exchanges, each: an operation byte, bytes already waiting on the line (a
// 16-bit length and the bytes), a reply count byte and that many replies (each a 16-bit length
// and the bytes), then the operation's own fields (see the Run* functions).

namespace corvane::fuzz {

namespace {

constexpr int MaxExchanges = 6;
constexpr size_t LargestReplyBuffer = 2100;
constexpr size_t LargestDataBuffer = 6000;
constexpr size_t LargestBinaryBlock = 1023;
constexpr uint8_t CtrlZ = 26;
// Around the port's 20 ms reads, the probe's 200 ms and the reply time-out of 5000 ms.
constexpr std::array<uint64_t, 8> Latencies = {0, 5, 25, 199, 200, 4990, 5000, 6000};
constexpr std::array<uint32_t, 5> OtherRates = {230400, 115200, 57600, 38400, 19200};
constexpr std::array<uint32_t, 4> ConfiguredRates = {115200, 9600, 0, 0xFFFFFFFF};

// The fake port, keeping every byte the link has read: a capture can hold no other.
class ReadRecordingPort : public test::FakeSerialPort {
  public:
    using FakeSerialPort::FakeSerialPort;
    std::optional<uint8_t> ReadByte() override {
        const std::optional<uint8_t> byte = FakeSerialPort::ReadByte();
        if (byte) {
            reads.push_back(static_cast<char>(*byte));
        }
        return byte;
    }
    std::string reads;
};

std::string Text(std::span<const uint8_t> bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

class ExchangeRun {
  public:
    ExchangeRun(FuzzBytes& input, uint8_t setup)
        : input(input),
          fake(setup & 0x10 ? std::numeric_limits<uint32_t>::max() - 2500 : 0),
          port(fake.clock, fake.log),
          platform{port, fake.clock, fake.libraries},
          link(platform),
          echo((setup & 1) != 0),
          latency(Latencies[(setup >> 1) % Latencies.size()]) {
        fake.expectReleased = false;
        fake.libraries.Install("RHA.DLL");
    }

    Violations Run() {
        if (!link.Open("COM1:", 115200)) {
            return {"the link did not open on the fake port"};
        }
        for (int exchange = 0; exchange < MaxExchanges && !input.Empty(); ++exchange) {
            RunExchange();
        }
        link.Close();
        Expect(violations, !port.IsOpen(), "the port was left open");
        Expect(violations, fake.libraries.Loaded() == 0, "the power library was left loaded");
        return violations;
    }

  private:
    void RunExchange() {
        const uint8_t operation = input.Byte();
        port.Deliver(input.Chunk());
        std::vector<std::string> replies(input.Byte() % 4);
        for (std::string& reply : replies) {
            reply = Text(input.Chunk());
        }
        port.reads.clear();
        eventsBefore = fake.log.Events().size();
        switch (operation % 4) {
            case 0:
                return RunSendCommand(replies);
            case 1:
                return RunAwaitReply(replies);
            case 2:
                return RunSendBlock(replies);
            default:
                return RunDetectBaudRate(replies);
        }
    }

    // Fields: the command (16-bit length, bytes; it ends at a zero byte), the reply buffer's
    // size and the capacity passed (16 bits each).
    void RunSendCommand(const std::vector<std::string>& replies) {
        const std::string command = Text(input.Chunk());
        ReplyBuffer reply(input.Number16() % (LargestReplyBuffer + 1));
        const uint32_t capacity = input.Number16();
        test::ScriptedReplies module(port, replies, echo, latency);
        const bool replied = link.SendCommand(command.c_str(), reply.Span(), capacity);
        ExpectCapture(reply.Span(), capacity, replied, port.reads, violations);
        const std::vector<WireWrite> writes = WritesSince(fake.log, eventsBefore);
        Expect(violations, writes.size() == 1 && writes[0].bytes == command.c_str(),
               "a command went out other than as one write of its text");
    }

    // Fields: the bytes sent before (16-bit length, bytes), the reply buffer's size and the
    // capacity passed (16 bits each). The module's echo and replies are on their way already.
    void RunAwaitReply(const std::vector<std::string>& replies) {
        const std::span<const uint8_t> sent = input.Chunk();
        ReplyBuffer reply(input.Number16() % (LargestReplyBuffer + 1));
        const uint32_t capacity = input.Number16();
        if (echo) {
            port.Deliver(sent);
        }
        for (const std::string& text : replies) {
            port.Deliver(text, latency);
        }
        const bool replied = link.AwaitReply(sent, reply.Span(), capacity);
        ExpectCapture(reply.Span(), capacity, replied, port.reads, violations);
        Expect(violations, WritesSince(fake.log, eventsBefore).empty(),
               "waiting for a reply wrote to the port");
    }

    // Fields: the command (as for SendCommand), the data buffer's size (16 bits), its first
    // bytes (16-bit length, bytes), the byte that fills the rest, and the count (16 bits, and a
    // byte whose top bit puts the count above 65535).
    void RunSendBlock(const std::vector<std::string>& replies) {
        const std::string command = Text(input.Chunk());
        const size_t dataSize = input.Number16() % (LargestDataBuffer + 1);
        const std::span<const uint8_t> given = input.Take(input.Number16());
        std::vector<uint8_t> data(dataSize, input.Byte());
        std::copy_n(given.begin(), std::min(given.size(), dataSize), data.begin());
        uint32_t count = input.Number16();
        if ((input.Byte() & 0x80) != 0) {
            count |= 0xFFFF0000;
        }
        const std::vector<uint8_t> original = data;

        ReplyBuffer reply(ReplyBufferSize);
        test::ScriptedReplies module(port, replies, echo, latency);
        // The one count serves as the record's length and the confirmation's capacity: the
        // module's answer decides which the link uses.
        const BlockResult result =
            link.SendBlock(command.c_str(), data, count, reply.Span(), count);

        Expect(violations,
               result == BlockResult::Confirmed || result == BlockResult::DataRefused ||
                   result == BlockResult::Unconfirmed || result == BlockResult::WrongModuleType,
               "the block transfer gave result " + std::to_string(static_cast<int>(result)));
        ExpectCapture(reply.Span(), ReplyBufferSize, true, port.reads, violations);
        ExpectBlockWrites(command.c_str(), original, data, count, result);
    }

    // The command goes out once or twice, each time it goes unanswered perhaps followed by ESC,
    // which ends a text entry that a late module may have begun; then at most the data, as the
    // mode asks: the first count bytes in binary mode, the zero-ended text and Ctrl-Z in text
    // mode, which also leaves Ctrl-Z and a zero byte behind the text in the caller's buffer.
    // Nothing else changes there.
    void ExpectBlockWrites(const std::string& command, const std::vector<uint8_t>& original,
                           const std::vector<uint8_t>& data, uint32_t count, BlockResult result) {
        const std::string commandBytes = command.substr(0, std::numeric_limits<uint16_t>::max());
        const std::vector<WireWrite> writes = WritesSince(fake.log, eventsBefore);
        size_t commands = 0;
        std::optional<std::string> sentData;
        bool inOrder = true;
        for (size_t i = 0; i < writes.size(); ++i) {
            inOrder = inOrder && !sentData;  // nothing may follow the data
            // A one-byte block of ESC that the module took reads as data.
            const bool endsTextEntry = EndsTextEntry(writes, i) &&
                                       (i + 1 < writes.size() || result != BlockResult::Confirmed);
            if (writes[i].command) {
                ++commands;
                inOrder = inOrder && writes[i].bytes == commandBytes;
            } else if (!endsTextEntry) {
                sentData = writes[i].bytes;
            }
        }
        Expect(violations, inOrder && commands >= 1 && commands <= 2,
               "the block command went out " + std::to_string(commands) +
                   " times, garbled, or after the data");
        Expect(violations, sentData.has_value() || result != BlockResult::Confirmed,
               "a block counted as taken although no data went out");
        Expect(violations, !sentData.has_value() || result != BlockResult::DataRefused,
               "a refused block was sent all the same");

        const size_t textLength = static_cast<size_t>(
            std::find(original.begin(), original.end(), uint8_t{0}) - original.begin());
        const std::string text(original.begin(), original.begin() + textLength);
        const bool binaryForm =
            sentData && count >= 1 && count <= LargestBinaryBlock && count <= original.size() &&
            *sentData == std::string(original.begin(), original.begin() + count);
        const bool textForm = sentData && textLength + 2 <= original.size() &&
                              *sentData == text + static_cast<char>(CtrlZ);
        Expect(violations, !sentData || binaryForm || textForm,
               "block data of " + std::to_string(sentData ? sentData->size() : 0) +
                   " bytes that are neither the count's bytes nor the text");

        std::vector<uint8_t> asText = original;
        if (textForm) {
            asText[textLength] = CtrlZ;
            asText[textLength + 1] = 0;
        }
        const bool untouched = data == original && (!sentData || binaryForm);
        Expect(violations, untouched || (textForm && data == asText),
               "the caller's data buffer changed beyond the Ctrl-Z and zero byte of text mode");
    }

    // Fields: a byte choosing the configured rate from a short list, or, from 4 on, a 32-bit rate.
    void RunDetectBaudRate(const std::vector<std::string>& replies) {
        const uint8_t choice = input.Byte();
        const uint32_t configured =
            choice < ConfiguredRates.size() ? ConfiguredRates[choice] : input.Number32();
        const size_t resetsBefore = Resets();
        test::ScriptedReplies module(port, replies, echo, latency);
        const std::optional<uint32_t> found = link.DetectBaudRate(configured);

        const bool known =
            !found || *found == configured ||
            std::find(OtherRates.begin(), OtherRates.end(), *found) != OtherRates.end();
        Expect(violations, known, "the rate search found " + std::to_string(found.value_or(0)));
        Expect(violations, !found || port.Rate() == *found,
               "the port was left at another rate than the one found");
        const std::vector<WireWrite> writes = WritesSince(fake.log, eventsBefore);
        Expect(violations,
               writes.size() <= 13 &&
                   std::all_of(writes.begin(), writes.end(),
                               [](const WireWrite& w) { return w.bytes == "AT\r"; }),
               std::to_string(writes.size()) + " writes in a rate search, or not all probes");
        // Each of the two passes begins with a reset, and only a first pass that found nothing
        // is followed by a second: the module may answer only then.
        const size_t resets = Resets() - resetsBefore;
        Expect(violations, resets >= 1 && resets <= 2 && (found || resets == 2),
               std::to_string(resets) + " resets in a rate search");
    }

    size_t Resets() const {
        const std::vector<std::string> dtr = fake.log.Lines({test::EventKind::SetDtr});
        return static_cast<size_t>(std::count(dtr.begin(), dtr.end(), "Dtr low"));
    }

    FuzzBytes& input;
    test::FakePlatform fake;
    ReadRecordingPort port;
    platform::Platform platform;
    ModuleLink link;
    bool echo;
    uint64_t latency;
    size_t eventsBefore = 0;
    Violations violations;
};

}  // namespace

Violations CheckExchange(std::span<const uint8_t> input) {
    FuzzBytes bytes(input);
    const uint8_t setup = bytes.Byte();
    return ExchangeRun(bytes, setup).Run();
}

}  // namespace corvane::fuzz
