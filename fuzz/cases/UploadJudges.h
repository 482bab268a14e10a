#pragma once

#include <string_view>

#include "fuzz/cases/UploadRun.h"
#include "fuzz/cases/Violations.h"

namespace corvane::fuzz {

// What one upload of file must have done: a result the run can give, only the file's data on
// the wire in the form and order the module asked for, progress for each block taken, and the
// module switched off and everything released at the end.
Violations JudgeTextUpload(std::string_view file, const UploadOutcome& run, ModuleKind module);
Violations JudgeBinaryUpload(std::string_view file, const UploadOutcome& run, ModuleKind module);

}  // namespace corvane::fuzz
