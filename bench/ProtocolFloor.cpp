#include "bench/ProtocolFloor.h"

#include <algorithm>
#include <vector>

namespace corvane::bench {

namespace {

// The waits of the dialogue, in milliseconds.
constexpr double ResetPulse = 100;          // DTR held low
constexpr double BeforeWrite = 50;          // after each purge, and before block data
constexpr double AfterFirstReplyByte = 50;  // single commands only
constexpr double ProbeWait = 200;           // between a probe and reading its answer
constexpr double EndingSilence = 20;        // the empty read that ends every capture
constexpr double BitsPerByte = 10;          // start bit, eight data bits, stop bit

// One write and the bytes read after it, up to the next write or reset.
struct Exchange {
    std::string_view sent;
    std::string received;
    uint32_t rate;
};

// When the bytes of an exchange arrive, in milliseconds after the write, on a full-duplex line
// with a module that answers at once. An echo runs alongside the bytes sent, one byte behind,
// and the reply follows it; without an echo the reply follows the last byte sent.
struct Arrivals {
    double firstReplyByte;
    double lastReplyByte;
};

Arrivals ArrivalsOf(const Exchange& exchange) {
    const double byteTime = BitsPerByte * 1000.0 / exchange.rate;
    // Echo is recognised the way the link does: received bytes that repeat the sent ones in order.
    const auto [sentEnd, receivedEnd] =
        std::mismatch(exchange.sent.begin(), exchange.sent.end(), exchange.received.begin(),
                      exchange.received.end());
    const auto echoed = static_cast<double>(sentEnd - exchange.sent.begin());
    const auto replyBytes = static_cast<double>(exchange.received.end() - receivedEnd);
    const double replyStart = static_cast<double>(exchange.sent.size()) + (echoed > 0 ? 1.0 : 0.0);
    return {(replyStart + 1) * byteTime, (replyStart + replyBytes) * byteTime};
}

bool IsBlockCommand(const Exchange& exchange) {
    return exchange.received.find("CONNECT") != std::string::npos ||
           exchange.received.find("\r\n> ") != std::string::npos;
}

// Splits the trace into the probes of the baud-rate search (before the last reset, which
// follows the search) and the exchanges after it.
bool Collect(std::span<const TraceEvent> events, UpdateFloor& floor, std::vector<Exchange>& probes,
             std::vector<Exchange>& exchanges, std::string& error) {
    const auto lastReset = std::find_if(events.rbegin(), events.rend(), [](const TraceEvent& e) {
        return e.kind == TraceKind::DtrLow;
    });
    if (lastReset == events.rend()) {
        error = "no power-on-and-reset: not the trace of an update";
        return false;
    }
    const TraceEvent* searchEnd = &*lastReset;
    Exchange* current = nullptr;
    for (const TraceEvent& event : events) {
        switch (event.kind) {
            case TraceKind::Partial:
                error = "a write did not go out whole";
                return false;
            case TraceKind::Rate:
                floor.rate = event.rate;
                break;
            case TraceKind::DtrLow:
                ++floor.resets;
                current = nullptr;
                break;
            case TraceKind::Write: {
                if (floor.rate == 0 || floor.resets == 0) {
                    error = "a write before the rate was set and the module reset";
                    return false;
                }
                std::vector<Exchange>& list = &event < searchEnd ? probes : exchanges;
                current = &list.emplace_back(Exchange{event.bytes, {}, floor.rate});
                floor.bytesSent += event.bytes.size();
                break;
            }
            case TraceKind::Read:
                if (current != nullptr) {
                    current->received += event.bytes;
                }
                floor.bytesReceived += event.bytes.size();
                break;
        }
    }
    return true;
}

}  // namespace

std::optional<UpdateFloor> ComputeFloor(std::span<const TraceEvent> events, uint32_t closingPauseMs,
                                        std::string& error) {
    UpdateFloor floor;
    std::vector<Exchange> probes;
    std::vector<Exchange> exchanges;
    if (!Collect(events, floor, probes, exchanges, error)) {
        return std::nullopt;
    }
    floor.waitMs = floor.resets * ResetPulse + closingPauseMs;

    // A probe's answer is read only after the probe wait, whatever arrived during it.
    for (const Exchange& probe : probes) {
        ++floor.probes;
        floor.waitMs += ProbeWait + EndingSilence;
        floor.wireMs += std::max(0.0, ArrivalsOf(probe).lastReplyByte - ProbeWait);
    }

    for (size_t i = 0; i < exchanges.size(); ++i) {
        const Arrivals command = ArrivalsOf(exchanges[i]);
        if (IsBlockCommand(exchanges[i])) {
            if (i + 1 == exchanges.size()) {
                error = "a block command without its data";
                return std::nullopt;
            }
            // Purge pause, command, its reply and silence; pause, data, confirmation, silence.
            ++floor.blocks;
            floor.waitMs += BeforeWrite + EndingSilence + BeforeWrite + EndingSilence;
            floor.wireMs += command.lastReplyByte + ArrivalsOf(exchanges[++i]).lastReplyByte;
            continue;
        }
        if (exchanges[i].received.empty()) {
            error = "a command without a reply: the floor covers answered commands only";
            return std::nullopt;
        }
        // Purge pause, command, first reply byte; the rest of the reply arrives during the
        // pause after it, or makes it longer; then the silence.
        ++floor.commands;
        floor.waitMs += BeforeWrite + AfterFirstReplyByte + EndingSilence;
        floor.wireMs +=
            command.firstReplyByte +
            std::max(0.0, command.lastReplyByte - command.firstReplyByte - AfterFirstReplyByte);
    }
    return floor;
}

}  // namespace corvane::bench
