#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "bench/TraceEvents.h"

namespace corvane::bench {

// The shortest time an update can take on the path a trace shows, with a module that answers
// at once and a program that costs nothing: the waits the dialogue mandates, plus the wire time
// that none of them covers. See scripts/bench.sh for the model in full.
struct UpdateFloor {
    uint32_t resets = 0;    // power-on-and-reset pulses
    uint32_t probes = 0;    // "AT\r" probes of the baud-rate search
    uint32_t commands = 0;  // single commands, each with its reply
    uint32_t blocks = 0;    // block command and block data, each with its reply
    uint64_t bytesSent = 0;
    uint64_t bytesReceived = 0;
    uint32_t rate = 0;  // in force at the end
    double waitMs = 0;  // pauses, probe waits and the silences that end captures
    double wireMs = 0;  // wire time outside those waits
    double FloorMs() const { return waitMs + wireMs; }
};

// The floor of a successful update from its trace. closingPauseMs is the procedure's pause
// after the switch-off command. Nothing, with the reason in error, for a trace that is not of a
// whole update or that shows a write cut short.
std::optional<UpdateFloor> ComputeFloor(std::span<const TraceEvent> events, uint32_t closingPauseMs,
                                        std::string& error);

}  // namespace corvane::bench
