#include "upload/RunUpload.h"

#include <array>

#include "upload/BinaryParameterUpload.h"
#include "upload/LeadingInteger.h"
#include "upload/TextParameterUpload.h"

namespace corvane {

namespace {

constexpr std::array<const char*, 8> ResultMessages = {
    "",
    "Invalid parameters.",
    "COM-Port not accessible or Baud rate not possible.",
    "Couldn't open audio parameter file. (maybe wrong file name)",
    "Not a valid audio parameter file.",
    "Modem didn't accept data.",
    "Possibly modem not connected.",
    "Probably Wrong module type.",
};

// One procedure object per run, gone when the run is over.
template <typename Procedure>
ResultCode RunOnce(const char* setName, const std::string& filePath, const std::string& portName,
                   uint32_t baudRate, const ProgressCallback& progress,
                   platform::Platform& platform) {
    Procedure procedure(platform);
    return procedure.Upload(setName, filePath, portName, baudRate, progress);
}

}  // namespace

bool UsesTextProcedure(const char* moduleFamily) {
    const int32_t modelCode = LeadingInteger(moduleFamily);
    return modelCode < 40 || modelCode == 316;
}

ResultCode RunUpload(const char* moduleFamily, const char* setName, const std::string& filePath,
                     const std::string& portName, uint32_t baudRate,
                     const ProgressCallback& progress, platform::Platform& platform) {
    if (UsesTextProcedure(moduleFamily)) {
        return RunOnce<TextParameterUpload>(setName, filePath, portName, baudRate, progress,
                                            platform);
    }
    return RunOnce<BinaryParameterUpload>(setName, filePath, portName, baudRate, progress,
                                          platform);
}

const char* ResultMessageText(int code) {
    if (code < 0 || code >= static_cast<int>(ResultMessages.size())) {
        return "";
    }
    return ResultMessages[static_cast<size_t>(code)];
}

}  // namespace corvane
