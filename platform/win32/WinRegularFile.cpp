#include <sys/stat.h>
#include <windows.h>

#include <cerrno>
#include <cstring>
#include <optional>

#include "platform/SystemRegularFile.h"
#include "platform/win32/WideText.h"

namespace corvane::platform {

namespace {

std::string DescribeOpenError(int error, const std::wstring& name) {
    switch (error) {
        case ENOENT:
            return "no such file";
        case EACCES: {
            // Windows refuses to open a directory as a file with "access denied".
            const DWORD attributes = GetFileAttributesW(name.c_str());
            const bool directory =
                attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
            return directory ? "is a directory" : "permission denied";
        }
        default:
            return std::strerror(error);
    }
}

}  // namespace

RegularFile OpenSystemRegularFile(const std::string& path) {
    const std::optional<std::wstring> name = win32::WideFromUtf8(path);
    if (!name) {
        return {.problem = "name is not valid UTF-8"};
    }
    std::FILE* opened = _wfopen(name->c_str(), L"rb");
    if (opened == nullptr) {
        return {.problem = DescribeOpenError(errno, *name)};
    }
    // Devices (NUL, COM1) open like files but have no size to measure records against.
    struct _stat64 status {};
    if (_fstat64(_fileno(opened), &status) != 0 || (status.st_mode & _S_IFMT) != _S_IFREG) {
        std::fclose(opened);
        return {.problem = "not a regular file"};
    }
    return {opened, static_cast<uint64_t>(status.st_size), {}};
}

}  // namespace corvane::platform
