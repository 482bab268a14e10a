#pragma once

#include "platform/LibraryLoader.h"

namespace corvane::platform::posix {

// Shared libraries through the dynamic loader. A file name without a slash is searched the
// loader's normal way (LD_LIBRARY_PATH, the cache, the system directories).
class DlLibraryLoader final : public LibraryLoader {
  public:
    LibraryHandle Load(const char* fileName) override;
    EntryPoint Find(LibraryHandle library, const char* name) override;
    void Free(LibraryHandle library) override;
};

}  // namespace corvane::platform::posix
