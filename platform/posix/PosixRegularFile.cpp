#include <sys/stat.h>

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
    std::FILE* opened = std::fopen(path.c_str(), "rb");
    if (opened == nullptr) {
        return {.problem = DescribeOpenError(errno)};
    }
    // fopen succeeds on directories, and devices have no size to measure records against.
    struct stat status {};
    if (fstat(fileno(opened), &status) != 0 || !S_ISREG(status.st_mode)) {
        std::fclose(opened);
        return {.problem = S_ISDIR(status.st_mode) ? "is a directory" : "not a regular file"};
    }
    return {opened, static_cast<uint64_t>(status.st_size), {}};
}

}  // namespace corvane::platform
