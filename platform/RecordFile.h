#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace corvane::platform {

// A file that whole lines are added to at its end, by this process and others at once, each
// line kept on the disk before the call returns.
class RecordFile {
  public:
    virtual ~RecordFile() = default;

    // Adds line, which ends in '\n', in one write at the file's end, and flushes it to the disk.
    // A last line that a crash left without its '\n' is ended first, so that it cannot swallow
    // this one. Appends from other processes and other RecordFile objects on the same file wait
    // for each other; on a network file system lines may still interleave. Empty on success,
    // else the system's words.
    virtual std::string Append(std::string_view line) = 0;
};

struct OpenedRecordFile {
    std::unique_ptr<RecordFile> file = {};  // null when the file did not open
    std::string problem = {};               // why not, in the system's words
};

// Opens the named file (a UTF-8 path) for appending, created readable by all where missing.
OpenedRecordFile OpenRecordFile(const std::string& path);

}  // namespace corvane::platform
