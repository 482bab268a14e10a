#pragma once

#include <cstdint>

namespace corvane::sim {

// K31 modules take parameter blocks as text after a "> " prompt; K47 modules take binary
// records after "CONNECT".
enum class Family { K31, K47 };

// Ways a module can misbehave, for testing how the tool copes.
struct ModemFaults {
    bool silent = false;             // sends nothing at all, not even echo
    bool blockError = false;         // answers every block command with ERROR
    bool wrongMarker = false;        // answers block commands with the other family's marker, and
                                     // stays in command mode
    bool neverConfirm = false;       // takes block data but neither confirms nor stores it
    uint32_t longReply = 0;          // filler bytes ahead of every reply (2000+ to overflow)
    uint32_t hangUpAfterBlocks = 0;  // hangs the line up after confirming this many; 0: never
};

struct ModemOptions {
    Family family = Family::K31;
    bool echo = true;
    bool numeric = false;    // "0\r" rather than "\r\nOK\r\n"
    uint32_t rate = 115200;  // the only rate it understands; 0: any rate
    uint32_t latencyMs = 0;  // before each reply; echo is immediate
    ModemFaults faults{};
};

}  // namespace corvane::sim
