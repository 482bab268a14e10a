#pragma once

#include <cstdint>

#include "upload/UploadOutcome.h"
#include "upload/UploadPhase.h"

namespace corvane {

// Who follows one run: told on the run's thread of each phase as it begins, of each block or
// record the module accepted, and of the outcome once file, port and module are given back.
class UploadObserver {
  public:
    virtual ~UploadObserver() = default;

    virtual void Phase(const PhaseReport& /*report*/) {}
    // (position, range) as the procedure counts them: lines of the declared count (text), or
    // percent of the file (binary). Any scaling for a display is the display's.
    virtual void Progress(uint32_t /*position*/, uint32_t /*range*/) {}
    virtual void Finished(const UploadOutcome& /*outcome*/) {}
};

}  // namespace corvane
