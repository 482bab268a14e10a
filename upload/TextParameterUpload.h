#pragma once

#include <cstdio>
#include <memory>
#include <span>

#include "link/ModuleLink.h"
#include "upload/ProgressCallback.h"
#include "upload/StopRequest.h"
#include "upload/TextLine.h"
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

    // Reads the next non-empty line of a parameter text file into buffer, zero-terminated. CR
    // and LF each end a line; empty lines and line ends in front of the line are skipped. At
    // most buffer.size() - 1 characters are stored; a longer line stops there, incomplete, and
    // the next call continues inside it. The end of the file or a read error ends the line;
    // length 0 then means nothing was left.
    static TextLine ReadLine(std::FILE* file, std::span<char> buffer);

    std::unique_ptr<ModuleLink> link;

  private:
    platform::Platform& platform;
};

}  // namespace corvane
