#include "platform/posix/DlLibraryLoader.h"

#include <dlfcn.h>

namespace corvane::platform::posix {

LibraryHandle DlLibraryLoader::Load(const char* fileName) {
    // Resolve everything now so that a broken library fails here, not at its first call; keep
    // its symbols to itself so that two libraries with the same entry names cannot mix.
    return dlopen(fileName, RTLD_NOW | RTLD_LOCAL);
}

EntryPoint DlLibraryLoader::Find(LibraryHandle library, const char* name) {
    if (library == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<EntryPoint>(dlsym(library, name));
}

void DlLibraryLoader::Free(LibraryHandle library) {
    if (library != nullptr) {
        dlclose(library);
    }
}

}  // namespace corvane::platform::posix
