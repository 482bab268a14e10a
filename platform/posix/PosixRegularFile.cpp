#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/SystemRegularFile.h"

namespace corvane::platform {

namespace {

std::string DescribeOpenError(int error) {
    switch (error) {
        case ENOENT:
            return "no such file";
        case EACCES:
        case EPERM:
            return "permission denied";
        case EISDIR:
            return "is a directory";
        default:
            return std::strerror(error);
    }
}

}  // namespace

RegularFile OpenSystemRegularFile(const std::string& path) {
    // Non-blocking, so that a named pipe or a serial device given as the file does not hold the
    // open until a writer or a carrier comes; only a regular file is then read.
    int descriptor;
    do {
        descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (descriptor < 0 && errno == EINTR);
    if (descriptor < 0) {
        return {.problem = DescribeOpenError(errno)};
    }
    // Directories open too, and devices have no size to measure records against.
    struct stat status {};
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(descriptor);
        return {.problem = S_ISDIR(status.st_mode) ? "is a directory" : "not a regular file"};
    }
    fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    std::FILE* opened = fdopen(descriptor, "rb");
    if (opened == nullptr) {
        const int error = errno;
        close(descriptor);
        return {.problem = DescribeOpenError(error)};
    }
    return {opened, static_cast<uint64_t>(status.st_size), {}};
}

}  // namespace corvane::platform
