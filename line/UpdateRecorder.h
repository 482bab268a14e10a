#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "line/PortRuns.h"
#include "platform/RecordFile.h"
#include "upload/UploadJob.h"

namespace corvane::line {

// The --record file of a command or a station: one line per update, from any run's thread.
class UpdateRecorder {
  public:
    // Null, with the system's words in problem, when the file cannot be opened for appending.
    static std::unique_ptr<UpdateRecorder> Open(const std::string& path, std::string& problem);

    explicit UpdateRecorder(std::unique_ptr<platform::RecordFile> file) : file(std::move(file)) {}

    // Adds the update's line and has it on the disk before it returns; empty on success, else
    // why not.
    std::string Add(const UploadJob& job, const PortResult& result);

  private:
    // The file's appends are whole between processes; between this process's threads too.
    std::mutex mutex;
    std::unique_ptr<platform::RecordFile> file;
};

}  // namespace corvane::line
