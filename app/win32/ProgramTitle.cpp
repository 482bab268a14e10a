#include "app/win32/ProgramTitle.h"

#include <windows.h>

#include <string_view>

#include "platform/win32/WideText.h"

namespace corvane {

std::string ProgramTitle() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring_view name(path, length < MAX_PATH ? length : 0);
    name = name.substr(name.find_last_of(L"\\/") + 1);
    return platform::win32::Utf8FromWide(name.substr(0, name.rfind(L'.')));
}

}  // namespace corvane
