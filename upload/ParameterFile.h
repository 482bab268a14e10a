#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace corvane {

// The parameter file of one run, open as a buffered byte stream. Closed explicitly at the point
// the run's release order asks for; the destructor only catches paths that forgot.
class ParameterFile {
  public:
    ParameterFile() = default;
    ~ParameterFile();

    ParameterFile(const ParameterFile&) = delete;
    ParameterFile& operator=(const ParameterFile&) = delete;

    // Opens exactly the named regular file (a UTF-8 path) for reading. A name with a zero byte
    // inside, a directory or a device does not open; Problem() then says why.
    bool Open(const std::string& path);
    void Close();

    bool IsOpen() const { return stream != nullptr; }
    std::FILE* Stream() const { return stream; }
    // Size in bytes as it was when the file was opened.
    uint64_t Size() const { return size; }
    // Why the last Open failed, in a few words ("no such file", "is a directory"); empty after
    // one that succeeded.
    const std::string& Problem() const { return problem; }

  private:
    std::FILE* stream = nullptr;
    uint64_t size = 0;
    std::string problem;
};

}  // namespace corvane
