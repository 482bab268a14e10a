#pragma once

#include "upload/RunUpload.h"

namespace corvane::line {

// One update of a line on the running system, with a port of its own. The radio power library
// is left out: it powers the handheld's one radio and takes no port, so on a line it would
// reset every module at once; a line's modules are reset through their own lines.
UploadOutcome RunLineUpdate(const UploadJob& job, UploadObserver& observer, StopRequest& stop);

}  // namespace corvane::line
