#pragma once

#include <cstdint>
#include <string>

#include "link/ResultCode.h"
#include "platform/Platform.h"
#include "upload/ProgressCallback.h"
#include "upload/ResultText.h"
#include "upload/StopRequest.h"

namespace corvane {

// The module family's model code, converted like atoi: below 40 or exactly 316 means the text
// procedure (K31), anything else the binary one (K47).
bool UsesTextProcedure(const char* moduleFamily);

// Constructs the procedure that the family selects, runs one upload and destroys it. stop, when
// given, can end the run early between blocks (see StopRequest).
ResultCode RunUpload(const char* moduleFamily, const char* setName, const std::string& filePath,
                     const std::string& portName, uint32_t baudRate,
                     const ProgressCallback& progress,
                     platform::Platform& platform = platform::Platform::System(),
                     StopRequest* stop = nullptr);

}  // namespace corvane
