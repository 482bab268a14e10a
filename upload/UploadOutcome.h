#pragma once

#include <cstdint>
#include <string>

#include "link/ResultCode.h"
#include "platform/Platform.h"
#include "upload/ProgressCallback.h"
#include "upload/StopRequest.h"

namespace corvane {

// How one update ended, with what the operator is told beyond the result code.
struct UploadOutcome {
    ResultCode code = ResultOk;
    // Ended early at a stop request, with the closing sequence.
    bool stopped = false;
    // The text procedure ran (blocks of lines), else the binary one (records).
    bool textProcedure = true;
    // Blocks or records the module accepted: the procedures report each one, and only those.
    uint32_t accepted = 0;
    // The procedure's last report: lines of the declared count (text), or percent of the file.
    uint32_t position = 0;
    uint32_t range = 0;
    // What the system said went wrong with the port or the file, "<name>: <reason>"; empty when
    // it said nothing or the run got past them.
    std::string detail = {};
};

// RunUpload, watched on behalf of the operator: counts the accepted blocks on their way to
// progress, tells a stopped run, and after a port or file failure asks the system why.
UploadOutcome RunWatchedUpload(const char* moduleFamily, const char* setName,
                               const std::string& filePath, const std::string& portName,
                               uint32_t baudRate, const ProgressCallback& progress,
                               platform::Platform& platform, StopRequest* stop);

}  // namespace corvane
