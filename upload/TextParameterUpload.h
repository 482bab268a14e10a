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

    // Runs the job. With a stop request, looks at it before each probe and command of the
    // search and the handshake, which it then ends with port and file closed, and before each
    // block: a stop there cancels the set once a block of it went out and ends with the closing
    // sequence. The outcome says it was stopped.
    UploadOutcome Upload(const UploadJob& job, const ProgressCallback& progress,
                         StopRequest* stop = nullptr);

    std::unique_ptr<ModuleLink> link;

  private:
    platform::Platform& platform;
};

}  // namespace corvane
