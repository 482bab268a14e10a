#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/LibraryLoader.h"
#include "tests/support/EventLog.h"

namespace corvane::test {

// Run-time libraries that exist only in the test. Install() names a library and the entry points
// it exports (any subset of the four power-library names). Load, Find and Free go into the
// event log, and so does every call of an entry point handed out by Find ("Call RHA_Init"),
// marked "after free" when its library had been freed by then. Entry points are plain
// functions, so they reach the log through the one loader alive on the calling thread: create at
// most one FakeLibraryLoader at once on a thread, and call its entry points on that thread.
class FakeLibraryLoader : public platform::LibraryLoader {
  public:
    static constexpr size_t MaxLibraries = 4;
    static constexpr std::array<std::string_view, 4> EntryPointNames = {
        "RHA_RadioPwrOn", "RHA_RadioPwrOff", "RHA_Init", "RHA_DeInit"};

    explicit FakeLibraryLoader(EventLog& log);
    ~FakeLibraryLoader() override;
    FakeLibraryLoader(const FakeLibraryLoader&) = delete;
    FakeLibraryLoader& operator=(const FakeLibraryLoader&) = delete;

    // Makes a library loadable under fileName, exporting the given entry points.
    void Install(const std::string& fileName, std::vector<std::string_view> exports = {
                                                  EntryPointNames.begin(), EntryPointNames.end()});

    platform::LibraryHandle Load(const char* fileName) override;
    platform::EntryPoint Find(platform::LibraryHandle library, const char* name) override;
    void Free(platform::LibraryHandle library) override;

    // How many loads have not been freed yet, over all libraries.
    int Loaded() const;
    // How many times the named entry point was called, over all libraries.
    int Calls(std::string_view entryPoint) const;

    // Called by the entry points handed out.
    void RecordCall(size_t library, size_t entryPoint);

  private:
    struct Library {
        std::string fileName;
        std::array<bool, 4> exports{};
        int loads = 0;  // loads not yet freed
    };

    Library* FromHandle(platform::LibraryHandle handle);

    EventLog& log;
    std::vector<Library> libraries;
};

}  // namespace corvane::test
