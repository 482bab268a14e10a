#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/RecordFile.h"

namespace corvane::platform {

namespace {

// Holds the file's lock from the check of its last byte to the end of the write, so that two
// writers that find the same cut line do not both end it.
class ExclusiveLock {
  public:
    explicit ExclusiveLock(int descriptor) : descriptor(descriptor) {
        while (flock(descriptor, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    ~ExclusiveLock() { flock(descriptor, LOCK_UN); }
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;

  private:
    int descriptor;
};

class PosixRecordFile : public RecordFile {
  public:
    explicit PosixRecordFile(int descriptor) : descriptor(descriptor) {}
    ~PosixRecordFile() override { close(descriptor); }

    std::string Append(std::string_view line) override {
        {
            ExclusiveLock lock(descriptor);
            struct stat status {};
            if (fstat(descriptor, &status) != 0) {
                return std::strerror(errno);
            }
            char last = '\n';
            if (status.st_size > 0 && pread(descriptor, &last, 1, status.st_size - 1) != 1) {
                return std::strerror(errno);
            }
            // O_APPEND makes one write() a move to the end and the write together: lines of
            // writers that take no lock (another program's) do not interleave with it either.
            const std::string text = last == '\n' ? std::string(line) : "\n" + std::string(line);
            ssize_t written;
            do {
                written = write(descriptor, text.data(), text.size());
            } while (written < 0 && errno == EINTR);
            if (written < 0) {
                return std::strerror(errno);
            }
            if (static_cast<size_t>(written) != text.size()) {
                return "the disk took only part of the line";
            }
        }
        // Outside the lock: other writers need not wait for this one's disk.
        if (fsync(descriptor) != 0) {
            return std::strerror(errno);
        }
        return {};
    }

  private:
    int descriptor;
};

}  // namespace

OpenedRecordFile OpenRecordFile(const std::string& path) {
    // Read as well as append: the last byte tells whether a crash cut the last line.
    int descriptor;
    do {
        descriptor = open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_NOCTTY | O_CLOEXEC, 0644);
    } while (descriptor < 0 && errno == EINTR);
    if (descriptor < 0) {
        return {.problem = std::strerror(errno)};
    }
    struct stat status {};
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(descriptor);
        return {.problem = S_ISDIR(status.st_mode) ? "is a directory" : "not a regular file"};
    }
    return {std::make_unique<PosixRecordFile>(descriptor), {}};
}

}  // namespace corvane::platform
