#pragma once

#include <string>

#include "app/core/Message.h"
#include "upload/UploadJob.h"
#include "upload/UploadOutcome.h"

namespace corvane {

// The box that tells the operator how the update of job ended: the success text with the
// information icon; for a stopped run what it had written; else the failure text with the code
// and the code's words. Below that, on lines of their own, the file and the module family that the
// run wrote (the controls may show others by then) and what the system said beyond the code.
// A port that could not be opened, or on which no module answered, is named there with
// portOrigin when given: "COM9, the registry's ParentPort: no such port".
Message ResultMessageFor(const UploadOutcome& outcome, const UploadJob& job,
                         const std::string& portOrigin = {});

}  // namespace corvane
