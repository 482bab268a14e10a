#pragma once

#include <cstdint>
#include <functional>

#include "platform/Platform.h"
#include "upload/ProgressCallback.h"
#include "upload/StopRequest.h"
#include "upload/UploadJob.h"
#include "upload/UploadOutcome.h"

namespace corvane {

// The body of one update thread.
class UpdateWorker {
  public:
    using Procedure = std::function<UploadOutcome(const UploadJob&,
                                                  const corvane::ProgressCallback&, StopRequest&)>;

    // The upload procedure that the job names, through platform.
    static Procedure ModuleProcedure(platform::Platform& platform);

    // Resets the bar to 0 of 100, runs the procedure, and fills the bar when it succeeded. stop
    // can end the procedure early, between two blocks.
    static UploadOutcome Run(const UploadJob& request, const Procedure& procedure,
                             StopRequest& stop);

    // Sets ProgressBarWindow to position of 0..range, of each the low 16 bits, a range of 0
    // counting as 1. From any other thread it returns once the GUI thread has done so. Returns 1.
    static int ProgressCallback(uint32_t position, uint32_t range);
};

}  // namespace corvane
