#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "upload/ResultCode.h"
#include "upload/UploadJob.h"

namespace corvane {

// Said of a run that succeeded on a file without blocks or records.
inline constexpr const char* NothingWrittenText = "the file holds no data: nothing was written";

// How one update ended, with what the operator is told beyond the result code.
struct UploadOutcome {
    UploadProcedure procedure = UploadProcedure::Text;
    // ResultOk for a run that a stop request ended early: nothing failed.
    ResultCode code = ResultOk;
    // Ended early at a stop request: before the handshake passed with port and file closed,
    // after it at a block boundary and with the closing sequence.
    bool stopped = false;
    // The rate the module answered at, once the search found one.
    std::optional<uint32_t> rate = std::nullopt;
    // Blocks or records the module accepted: the procedures report each one, and only those.
    uint32_t accepted = 0;
    // The procedure's last report: lines of the declared count (text), or percent of the file.
    uint32_t position = 0;
    uint32_t range = 0;
    // What went wrong beyond what the code says: what the system said about the port or the file
    // ("<name>: <reason>"), the rates tried, where the file is unusable, what the module answered
    // to a block; of a success, that nothing was written. Empty when there is nothing to add.
    std::string detail = {};

    bool Succeeded() const { return code == ResultOk && !stopped; }
};

}  // namespace corvane
