#include "platform/win32/WinLibraryLoader.h"

#include <windows.h>

#include <optional>
#include <string>

#include "platform/win32/WideText.h"

namespace corvane::platform::win32 {

LibraryHandle WinLibraryLoader::Load(const char* fileName) {
    if (fileName == nullptr) {
        return nullptr;
    }
    const std::optional<std::wstring> name = WideFromUtf8(fileName);
    if (!name) {
        return nullptr;
    }
    // Only the program's own folder and the system's: the default search also takes the
    // current folder, where a library of the same name may have come along with a downloaded
    // parameter file. Asked per load, so that nothing else in the process changes.
    return LoadLibraryExW(name->c_str(), nullptr,
                          LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
}

EntryPoint WinLibraryLoader::Find(LibraryHandle library, const char* name) {
    // Without a library GetProcAddress would look in the program itself.
    if (library == nullptr) {
        return nullptr;
    }
    const FARPROC address = GetProcAddress(static_cast<HMODULE>(library), name);
    // Through the generic function pointer type, which converts to any other without a warning.
    return reinterpret_cast<EntryPoint>(reinterpret_cast<void (*)()>(address));
}

void WinLibraryLoader::Free(LibraryHandle library) {
    if (library != nullptr) {
        FreeLibrary(static_cast<HMODULE>(library));
    }
}

}  // namespace corvane::platform::win32
