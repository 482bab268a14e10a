#pragma once

#include <cstdint>

namespace corvane {

// The steps of a run that take the operator's time, each reported as it begins.
enum class UploadPhase { FindingRate, RateFound, Writing, SwitchingOff };

struct PhaseReport {
    UploadPhase phase = UploadPhase::FindingRate;
    // FindingRate: the configured rate, tried first; RateFound: the rate the module answered at.
    uint32_t rate = 0;
    // Writing: the block or record about to go out, counted from 1.
    uint32_t block = 0;
    // Writing a text file: the blocks its header announces. 0 for binary records, whose number
    // is known only once the file has been read.
    uint32_t blocks = 0;
};

}  // namespace corvane
