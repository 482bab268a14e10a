#pragma once

#include "platform/LibraryLoader.h"

namespace corvane::platform::win32 {

// DLLs through LoadLibraryExW. A bare file name is searched in the program's own folder, then
// in the system folder; never in the current folder.
class WinLibraryLoader final : public LibraryLoader {
  public:
    LibraryHandle Load(const char* fileName) override;
    EntryPoint Find(LibraryHandle library, const char* name) override;
    void Free(LibraryHandle library) override;
};

}  // namespace corvane::platform::win32
