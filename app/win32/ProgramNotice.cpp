#include "app/win32/ProgramNotice.h"

#include <windows.h>

#include "platform/win32/WideText.h"

namespace corvane {

void ShowNotice(Notice kind, const std::string& text) {
    const HANDLE handle =
        GetStdHandle(kind == Notice::Error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    // A handle that leads nowhere is unknown to GetFileType, as is none.
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE &&
        GetFileType(handle) != FILE_TYPE_UNKNOWN) {
        const std::string line = text + "\r\n";
        DWORD written = 0;
        WriteFile(handle, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        return;
    }
    const UINT icon = kind == Notice::Error ? MB_ICONERROR : MB_ICONINFORMATION;
    MessageBoxW(nullptr, platform::win32::WideFromUtf8(text).value_or(L"").c_str(), L"Corvane",
                MB_OK | icon);
}

}  // namespace corvane
