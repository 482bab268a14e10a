#include <shlobj.h>
#include <windows.h>

#include "platform/UserRecordPath.h"
#include "platform/win32/WideText.h"

namespace corvane::platform {

std::string UserRecordPath() {
    PWSTR folder = nullptr;
    if (FAILED(SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_DEFAULT, nullptr, &folder))) {
        return {};
    }
    const std::string path = win32::Utf8FromWide(folder) + "\\Corvane\\updates.jsonl";
    CoTaskMemFree(folder);
    return path;
}

}  // namespace corvane::platform
