#include "upload/ParameterFile.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace corvane {

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

ParameterFile::~ParameterFile() {
    Close();
}

bool ParameterFile::Open(const std::string& path) {
    Close();
    // fopen would silently open the shorter name in front of an embedded zero byte.
    if (path.empty() || path.find('\0') != std::string::npos) {
        problem = path.empty() ? "no file named" : "name holds a zero byte";
        return false;
    }
    std::FILE* opened = std::fopen(path.c_str(), "rb");
    if (opened == nullptr) {
        problem = DescribeOpenError(errno);
        return false;
    }
    // fopen succeeds on directories, and devices have no size to measure records against.
    struct stat status {};
    if (fstat(fileno(opened), &status) != 0 || !S_ISREG(status.st_mode)) {
        problem = S_ISDIR(status.st_mode) ? "is a directory" : "not a regular file";
        std::fclose(opened);
        return false;
    }
    stream = opened;
    size = static_cast<uint64_t>(status.st_size);
    problem.clear();
    return true;
}

void ParameterFile::Close() {
    if (stream != nullptr) {
        std::fclose(stream);
        stream = nullptr;
    }
    size = 0;
}

std::string FileOpenProblem(const std::string& path) {
    ParameterFile file;
    file.Open(path);
    return file.Problem();
}

}  // namespace corvane
