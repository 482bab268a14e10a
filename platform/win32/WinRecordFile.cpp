#include <windows.h>

#include <optional>

#include "platform/RecordFile.h"
#include "platform/win32/SystemMessage.h"
#include "platform/win32/WideText.h"

namespace corvane::platform {

namespace {

// The byte that writers lock while one of them checks the last byte and writes: far past any
// line, since Windows keeps others from reading and writing the bytes that a process locks.
OVERLAPPED LockedByte() {
    OVERLAPPED position{};
    position.Offset = 0xFFFFFFFF;
    position.OffsetHigh = 0x7FFFFFFF;
    return position;
}

class ExclusiveLock {
  public:
    explicit ExclusiveLock(HANDLE file) : file(file) {
        OVERLAPPED position = LockedByte();
        LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &position);
    }
    ~ExclusiveLock() {
        OVERLAPPED position = LockedByte();
        UnlockFileEx(file, 0, 1, 0, &position);
    }
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;

  private:
    HANDLE file;
};

class WinRecordFile : public RecordFile {
  public:
    explicit WinRecordFile(HANDLE file) : file(file) {}
    ~WinRecordFile() override { CloseHandle(file); }

    std::string Append(std::string_view line) override {
        {
            ExclusiveLock lock(file);
            LARGE_INTEGER size{};
            if (!GetFileSizeEx(file, &size)) {
                return win32::SystemMessage(GetLastError());
            }
            char last = '\n';
            if (size.QuadPart > 0) {
                OVERLAPPED position{};
                const uint64_t at = static_cast<uint64_t>(size.QuadPart) - 1;
                position.Offset = static_cast<DWORD>(at);
                position.OffsetHigh = static_cast<DWORD>(at >> 32);
                DWORD read = 0;
                if (!ReadFile(file, &last, 1, &read, &position) || read != 1) {
                    return win32::SystemMessage(GetLastError());
                }
            }
            const std::string text = last == '\n' ? std::string(line) : "\n" + std::string(line);
            // A handle with append access and no write access writes at the end only, whatever
            // another process added since the size was read.
            DWORD written = 0;
            if (!WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) {
                return win32::SystemMessage(GetLastError());
            }
            if (written != text.size()) {
                return "the disk took only part of the line";
            }
        }
        if (!FlushFileBuffers(file)) {
            return win32::SystemMessage(GetLastError());
        }
        return {};
    }

  private:
    HANDLE file;
};

}  // namespace

OpenedRecordFile OpenRecordFile(const std::string& path) {
    const std::optional<std::wstring> name = win32::WideFromUtf8(path);
    if (!name) {
        return {.problem = "name is not valid UTF-8"};
    }
    // Read as well as append: the last byte tells whether a crash cut the last line.
    const HANDLE file = CreateFileW(name->c_str(), FILE_APPEND_DATA | FILE_READ_DATA | SYNCHRONIZE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return {.problem = win32::SystemMessage(GetLastError())};
    }
    if (GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        return {.problem = "not a regular file"};
    }
    return {std::make_unique<WinRecordFile>(file), {}};
}

}  // namespace corvane::platform
