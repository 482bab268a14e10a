#pragma once

#include "platform/Platform.h"
#include "upload/StopRequest.h"
#include "upload/UploadJob.h"
#include "upload/UploadObserver.h"
#include "upload/UploadOutcome.h"

namespace corvane {

// Everything one update needs, nothing shared with another run.
struct UploadRun {
    UploadJob job;
    // Told of the phases, of each block the module accepted, and once at the very end of the
    // outcome.
    UploadObserver& observer;
    // Can end the run early: between the probes and commands before the blocks, and between
    // blocks.
    StopRequest& stop;
    platform::Platform& platform;
};

// Runs one update with the procedure the job names, on a link of its own.
UploadOutcome RunUpload(const UploadRun& run);

}  // namespace corvane
