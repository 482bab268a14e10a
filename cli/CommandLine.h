#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "upload/UploadJob.h"

namespace corvane::cli {

inline constexpr int UsageErrorStatus = 64;

// What one run of corvane-update is asked to do.
struct UpdateOptions {
    UploadProcedure procedure = UploadProcedure::Text;
    // The first --port, else CORVANE_PORT.
    std::optional<std::string> port;
    // Every --port, in the order given: more than one makes a line of them.
    std::vector<std::string> ports;
    std::optional<uint32_t> baudRate;
    // --registry FILE, else $CORVANE_REGISTRY, else the system's default.
    std::string registryFile;
    // Named by --registry: one that does not read is a usage error, not a warning.
    bool registryRequired = false;
    std::string setName = AudioParameterSet;
    bool trace = false;
    bool quiet = false;
    // Only read the file and tell what would be sent.
    bool check = false;
    // --list-ports: list the serial ports instead of updating; no FILE then.
    bool listPorts = false;
    std::string filePath;

    // The production line: every port listed (--all), those a rule picks (--match), each as it
    // appears (--watch, ending after `count` updates unless 0), and a record of every update.
    bool allPorts = false;
    std::vector<std::string> matchRules;
    bool watch = false;
    uint32_t count = 0;
    std::string recordFile;

    // Several modules at once rather than one run on one port.
    bool Line() const { return ports.size() > 1 || allPorts || watch || !matchRules.empty(); }
};

// The outcome of reading the arguments: either options to run with, or a status to exit with
// after printing output (help, version) and diagnostics (usage errors).
struct CommandLine {
    std::optional<UpdateOptions> options;
    int exitStatus = 0;
    std::string output;
    std::string diagnostics;
};

// The environment variables the command reads; null when one is not set.
struct Environment {
    const char* registry = nullptr;  // CORVANE_REGISTRY
    const char* port = nullptr;      // CORVANE_PORT: the default for --port
    const char* baud = nullptr;      // CORVANE_BAUD: the default for --baud
};

CommandLine ParseCommandLine(int argc, const char* const* argv, const Environment& environment);

}  // namespace corvane::cli
