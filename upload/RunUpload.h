#pragma once

#include "platform/Platform.h"
#include "upload/ProgressCallback.h"
#include "upload/StopRequest.h"
#include "upload/UploadJob.h"
#include "upload/UploadOutcome.h"

namespace corvane {

// Constructs the procedure that the job names, runs one upload and destroys it. stop, when
// given, can end the run early: between the probes and commands before the blocks, and between
// blocks.
UploadOutcome RunUpload(const UploadJob& job, const ProgressCallback& progress,
                        platform::Platform& platform = platform::Platform::System(),
                        StopRequest* stop = nullptr);

}  // namespace corvane
