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
    return name ? LoadLibraryW(name->c_str()) : nullptr;
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
