#pragma once

#include <memory>

#include "link/ModuleLink.h"
#include "upload/ProgressCallback.h"
#include "upload/StopRequest.h"
#include "upload/UploadJob.h"
#include "upload/UploadOutcome.h"

namespace corvane {

// Writes a binary parameter file (big-endian length-prefixed records) into a K47 module.
class BinaryParameterUpload {
  public:
    BinaryParameterUpload();
    explicit BinaryParameterUpload(platform::Platform& platform);
    virtual ~BinaryParameterUpload();

    // Runs the job. With a stop request, looks at it before each probe and command of the
    // search and the handshake, which it then ends with port and file closed, and before each
    // record and its write command: a stop there ends with the closing sequence. The outcome
    // says it was stopped.
    UploadOutcome Upload(const UploadJob& job, const ProgressCallback& progress,
                         StopRequest* stop = nullptr);

    std::unique_ptr<ModuleLink> link;

  private:
    platform::Platform& platform;
};

}  // namespace corvane
