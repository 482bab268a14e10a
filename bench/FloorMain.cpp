// corvane-floor: the protocol floor of an update, from what corvane-update --trace wrote.
//
//     corvane-floor FAMILY TRACE_FILE
//
// FAMILY is the module family the update ran with (31, 47), which decides the pause after the
// switch-off command. Prints one line:
//     floor_ms=<ms> wait_ms=<ms> wire_ms=<ms> resets=<n> probes=<n> commands=<n> blocks=<n>
//     sent=<bytes> received=<bytes> rate=<bit/s>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "bench/ProtocolFloor.h"
#include "upload/UploadJob.h"

namespace {

// The procedures' pause between the switch-off command and powering the radio down.
constexpr uint32_t TextClosingPause = 100;
constexpr uint32_t BinaryClosingPause = 200;

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: corvane-floor FAMILY TRACE_FILE\n";
        return 64;
    }
    std::ifstream trace(argv[2]);
    if (!trace) {
        std::cerr << "corvane-floor: cannot read " << argv[2] << '\n';
        return 1;
    }
    std::vector<corvane::bench::TraceEvent> events;
    std::string error;
    if (!corvane::bench::ReadTrace(trace, events, error)) {
        std::cerr << "corvane-floor: " << error << '\n';
        return 1;
    }
    const uint32_t closingPause =
        corvane::ProcedureForModelCode(argv[1]) == corvane::UploadProcedure::Text
            ? TextClosingPause
            : BinaryClosingPause;
    const auto floor = corvane::bench::ComputeFloor(events, closingPause, error);
    if (!floor) {
        std::cerr << "corvane-floor: " << error << '\n';
        return 1;
    }
    std::printf(
        "floor_ms=%.3f wait_ms=%.3f wire_ms=%.3f resets=%u probes=%u commands=%u blocks=%u "
        "sent=%llu received=%llu rate=%u\n",
        floor->FloorMs(), floor->waitMs, floor->wireMs, floor->resets, floor->probes,
        floor->commands, floor->blocks, static_cast<unsigned long long>(floor->bytesSent),
        static_cast<unsigned long long>(floor->bytesReceived), floor->rate);
    return 0;
}
