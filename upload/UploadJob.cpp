#include "upload/UploadJob.h"

#include "upload/LeadingInteger.h"

namespace corvane {

UploadProcedure ProcedureForModelCode(const char* modelCode) {
    const int32_t code = LeadingInteger(modelCode);
    return code < 40 || code == 316 ? UploadProcedure::Text : UploadProcedure::Binary;
}

}  // namespace corvane
