#pragma once

#include "app/core/Message.h"
#include "upload/UploadOutcome.h"

namespace corvane {

// The box that tells the operator how an update ended: the success text with the information
// icon; for a stopped run what it had written; else the failure text with the code and the code's
// words, then on a line of its own what the system said about the port or file.
Message ResultMessageFor(const UploadOutcome& outcome);

}  // namespace corvane
