#include "upload/ParameterFile.h"
#include "upload/RunUpload.h"
#include "upload/UploadOutcome.h"

namespace corvane {

namespace {

std::string Named(const std::string& name, const std::string& reason) {
    return reason.empty() ? "" : name + ": " + reason;
}

std::string DetailOf(ResultCode code, const std::string& filePath, const std::string& portName,
                     const platform::SerialPort& port) {
    if (code == ResultPortUnavailable) {
        return portName.empty() ? "no serial port configured" : Named(portName, port.LastError());
    }
    if (code == ResultFileOpenFailed) {
        return filePath.empty() ? "no parameter file chosen"
                                : Named(filePath, FileOpenProblem(filePath));
    }
    return "";
}

}  // namespace

UploadOutcome RunWatchedUpload(const char* moduleFamily, const char* setName,
                               const std::string& filePath, const std::string& portName,
                               uint32_t baudRate, const ProgressCallback& progress,
                               platform::Platform& platform, StopRequest* stop) {
    UploadOutcome outcome;
    outcome.textProcedure = UsesTextProcedure(moduleFamily);
    const ProgressCallback counting = [&outcome, &progress](uint32_t position, uint32_t range) {
        ++outcome.accepted;
        outcome.position = position;
        outcome.range = range;
        return progress ? progress(position, range) : 1;
    };
    outcome.code =
        RunUpload(moduleFamily, setName, filePath, portName, baudRate, counting, platform, stop);
    outcome.stopped = stop != nullptr && stop->Stopped();
    outcome.detail = DetailOf(outcome.code, filePath, portName, platform.port);
    return outcome;
}

}  // namespace corvane
