#pragma once

#include "platform/LibraryLoader.h"

namespace corvane::platform::win32 {

// DLLs through LoadLibraryW. A bare file name is searched in Windows' normal order: the
// program's own folder first, then the system folders, the current folder and the PATH.
class WinLibraryLoader final : public LibraryLoader {
  public:
    LibraryHandle Load(const char* fileName) override;
    EntryPoint Find(LibraryHandle library, const char* name) override;
    void Free(LibraryHandle library) override;
};

}  // namespace corvane::platform::win32
