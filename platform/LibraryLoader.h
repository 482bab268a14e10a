#pragma once

namespace corvane::platform {

// An entry point of a run-time loaded library: C linkage, no arguments, its result ignored.
using EntryPoint = int (*)();
using LibraryHandle = void*;

// Run-time loading of shared libraries by file name, searched the platform's normal way.
class LibraryLoader {
public:
    virtual ~LibraryLoader() = default;
    // Null when the library cannot be loaded.
    virtual LibraryHandle Load(const char* fileName) = 0;
    // Null when the library lacks the entry point.
    virtual EntryPoint Find(LibraryHandle library, const char* name) = 0;
    virtual void Free(LibraryHandle library) = 0;
};

}  // namespace corvane::platform
