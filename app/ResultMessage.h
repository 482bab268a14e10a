#pragma once

#include "app/MessagePresenter.h"
#include "upload/UploadOutcome.h"

namespace corvane {

inline constexpr const char* MessageCaption = "Audio Parameter Update";

// The box that tells the operator how an update ended: the success text for 0; for a stopped
// run what it had written; else the failure text with the code and the code's words (none for
// codes without words), then on a line of its own what the system said about the port or file.
Message ResultMessageFor(const UploadOutcome& outcome);

}  // namespace corvane
