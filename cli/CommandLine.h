#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "upload/UploadJob.h"

namespace corvane::cli {

inline constexpr int UsageErrorStatus = 64;

// What one run of corvane-update is asked to do.
struct UpdateOptions {
    UploadProcedure procedure = UploadProcedure::Text;
    std::optional<std::string> port;
    std::optional<uint32_t> baudRate;
    // --registry FILE, else $CORVANE_REGISTRY, else the system's default.
    std::string registryFile;
    std::string setName = AudioParameterSet;
    bool trace = false;
    bool quiet = false;
    std::string filePath;
};

// The outcome of reading the arguments: either options to run with, or a status to exit with
// after printing output (help, version) and diagnostics (usage errors).
struct CommandLine {
    std::optional<UpdateOptions> options;
    int exitStatus = 0;
    std::string output;
    std::string diagnostics;
};

// registryFromEnvironment is $CORVANE_REGISTRY, or null when it is not set.
CommandLine ParseCommandLine(int argc, const char* const* argv,
                             const char* registryFromEnvironment);

}  // namespace corvane::cli
