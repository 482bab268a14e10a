#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace corvane::sim {

// K31 modules take parameter blocks as text after a "> " prompt; K47 modules take binary
// records after "CONNECT".
enum class Family { K31, K47 };

// What the module sends in place of an answer, neither acting on the command line nor echoing
// anything more than it already did.
enum class Answer {
    Normal,
    None,     // nothing
    Garbage,  // a burst of random bytes that holds none of the markers a reply is searched for
    Endless,  // random bytes without any marker, without end and without a pause
};

// Ways a module can misbehave, for testing how the tool copes.
struct ModemFaults {
    bool silent = false;                            // sends nothing at all, not even echo
    std::optional<uint32_t> silentAfterCommands{};  // hears and sends nothing once this many
                                                    // command lines have been answered
    // The answers that the next three concern: those to the command lines that begin with this
    // text; when it is empty, every answer, the confirmations of blocks included. With
    // firstAnswerOnly, only the first of them.
    std::string answerTo{};
    bool firstAnswerOnly = false;
    Answer answer = Answer::Normal;
    uint32_t answerDelayMs = 0;  // on top of the latency
    uint32_t longReply = 0;      // filler bytes ahead of the answer (2000+ to overflow)
    // Said in place of the answers to the first command lines, one each, without acting on the
    // line (an empty text says nothing); std::nullopt, and every line beyond, gets its answer.
    std::vector<std::optional<std::string>> givenAnswers{};
    bool blockError = false;    // answers every block command with ERROR
    bool wrongMarker = false;   // answers block commands with the other family's marker and takes
                                // the data in that marker's mode
    bool neverConfirm = false;  // takes block data but neither confirms nor stores it
    uint32_t hangUpAfterCommands = 0;  // hangs the line up after answering this many command
                                       // lines; 0: never
    uint32_t hangUpInBlock = 0;        // hangs the line up once this many bytes of a block's data
                                       // have arrived; 0: never
    uint32_t hangUpAfterBlocks = 0;    // hangs the line up after confirming this many; 0: never
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
