#include "upload/ParameterFile.h"

#include <utility>

#include "platform/RegularFile.h"

namespace corvane {

ParameterFile::~ParameterFile() {
    Close();
}

bool ParameterFile::Open(const std::string& path) {
    Close();
    platform::RegularFile opened = platform::OpenRegularFile(path);
    stream = opened.stream;
    size = opened.size;
    problem = std::move(opened.problem);
    return stream != nullptr;
}

void ParameterFile::Close() {
    if (stream != nullptr) {
        std::fclose(stream);
        stream = nullptr;
    }
    size = 0;
}

}  // namespace corvane
