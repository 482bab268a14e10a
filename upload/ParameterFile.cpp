#include "upload/ParameterFile.h"

#include <sys/stat.h>

namespace corvane {

ParameterFile::~ParameterFile() {
    Close();
}

bool ParameterFile::Open(const std::string& path) {
    Close();
    // fopen would silently open the shorter name in front of an embedded zero byte.
    if (path.empty() || path.find('\0') != std::string::npos) {
        return false;
    }
    std::FILE* opened = std::fopen(path.c_str(), "rb");
    if (opened == nullptr) {
        return false;
    }
    // fopen succeeds on directories, and devices have no size to measure records against.
    struct stat status {};
    if (fstat(fileno(opened), &status) != 0 || !S_ISREG(status.st_mode)) {
        std::fclose(opened);
        return false;
    }
    stream = opened;
    size = static_cast<uint64_t>(status.st_size);
    return true;
}

void ParameterFile::Close() {
    if (stream != nullptr) {
        std::fclose(stream);
        stream = nullptr;
    }
    size = 0;
}

}  // namespace corvane
