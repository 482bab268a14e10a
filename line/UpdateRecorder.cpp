#include "line/UpdateRecorder.h"

#include "line/UpdateRecord.h"

namespace corvane::line {

std::unique_ptr<UpdateRecorder> UpdateRecorder::Open(const std::string& path,
                                                     std::string& problem) {
    platform::OpenedRecordFile opened = platform::OpenRecordFile(path);
    if (!opened.file) {
        problem = opened.problem;
        return nullptr;
    }
    return std::make_unique<UpdateRecorder>(std::move(opened.file));
}

std::string UpdateRecorder::Add(const UploadJob& job, const PortResult& result) {
    // The file is read for its digest outside the lock: many ports end at once.
    const std::string line = RecordLine(
        RecordOfUpdate(job, result.outcome, result.port, result.started, result.duration));
    const std::lock_guard lock(mutex);
    return file->Append(line);
}

}  // namespace corvane::line
