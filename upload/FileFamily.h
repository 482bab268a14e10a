#pragma once

#include <string>

#include "upload/UploadJob.h"

namespace corvane {

// Whether the file at path reads whole as the other procedure's kind of file, with at least one
// block or record: a file given with the wrong family. Read by that procedure's own reader.
bool ReadsAsOtherFamily(const std::string& path, UploadProcedure chosen);

// "reads as a K47 file: use -f 47": the advice for a file that reads as the other family's.
std::string ReadsAsOtherFamilyText(UploadProcedure chosen);

// What the operator is told of a file that an update refused: "<path>: <problem>", and on a
// line of its own "<path> reads as a K47 file: use -f 47" when that is why.
std::string RefusedFile(const std::string& path, UploadProcedure chosen,
                        const std::string& problem);

}  // namespace corvane
