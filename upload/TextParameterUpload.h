#pragma once

#include <memory>

#include "link/ModuleLink.h"
#include "upload/ProgressCallback.h"
#include "upload/StopRequest.h"
#include "upload/UploadJob.h"
#include "upload/UploadOutcome.h"

namespace corvane {

// Writes a text parameter file ("Lines:" header, data lines sent in pairs) into a K31 module.
class TextParameterUpload {
  public:
    TextParameterUpload();
    explicit TextParameterUpload(platform::Platform& platform);
    virtual ~TextParameterUpload();

    // Runs the job. With a stop request, looks at it before each block: a requested stop
    // sends the cancel command and ends with the closing sequence, and the outcome says it was
    // stopped.
    UploadOutcome Upload(const UploadJob& job, const ProgressCallback& progress,
                         StopRequest* stop = nullptr);

    std::unique_ptr<ModuleLink> link;

  private:
    platform::Platform& platform;
};

}  // namespace corvane
