#include "upload/RunUpload.h"

#include "upload/BinaryParameterUpload.h"
#include "upload/LeadingInteger.h"
#include "upload/TextParameterUpload.h"

namespace corvane {

namespace {

// One procedure object per run, gone when the run is over.
template <typename Procedure>
ResultCode RunOnce(const char* setName, const std::string& filePath, const std::string& portName,
                   uint32_t baudRate, const ProgressCallback& progress,
                   platform::Platform& platform, StopRequest* stop) {
    Procedure procedure(platform);
    return procedure.Upload(setName, filePath, portName, baudRate, progress, stop);
}

}  // namespace

bool UsesTextProcedure(const char* moduleFamily) {
    const int32_t modelCode = LeadingInteger(moduleFamily);
    return modelCode < 40 || modelCode == 316;
}

ResultCode RunUpload(const char* moduleFamily, const char* setName, const std::string& filePath,
                     const std::string& portName, uint32_t baudRate,
                     const ProgressCallback& progress, platform::Platform& platform,
                     StopRequest* stop) {
    if (UsesTextProcedure(moduleFamily)) {
        return RunOnce<TextParameterUpload>(setName, filePath, portName, baudRate, progress,
                                            platform, stop);
    }
    return RunOnce<BinaryParameterUpload>(setName, filePath, portName, baudRate, progress, platform,
                                          stop);
}

}  // namespace corvane
