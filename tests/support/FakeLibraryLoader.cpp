#include "tests/support/FakeLibraryLoader.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace corvane::test {

namespace {

// Per thread, so that runs on different threads each log into their own loader.
thread_local FakeLibraryLoader* activeLoader = nullptr;

template <size_t Library, size_t Entry>
int Trampoline() {
    if (activeLoader != nullptr) {
        activeLoader->RecordCall(Library, Entry);
    }
    return 0;
}

template <size_t Library, size_t... Entry>
constexpr std::array<platform::EntryPoint, sizeof...(Entry)> EntriesOf(
    std::index_sequence<Entry...>) {
    return {&Trampoline<Library, Entry>...};
}

template <size_t... Library>
constexpr auto MakeTrampolines(std::index_sequence<Library...>) {
    return std::array{EntriesOf<Library>(std::make_index_sequence<4>{})...};
}

constexpr auto trampolines =
    MakeTrampolines(std::make_index_sequence<FakeLibraryLoader::MaxLibraries>{});

// Handles are 1-based indexes, so that no library gets the null handle.
platform::LibraryHandle HandleOf(size_t index) {
    return reinterpret_cast<platform::LibraryHandle>(index + 1);
}

}  // namespace

FakeLibraryLoader::FakeLibraryLoader(EventLog& log) : log(log) {
    activeLoader = this;
}

FakeLibraryLoader::~FakeLibraryLoader() {
    if (activeLoader == this) {
        activeLoader = nullptr;
    }
}

void FakeLibraryLoader::Install(const std::string& fileName,
                                std::vector<std::string_view> exports) {
    if (libraries.size() == MaxLibraries) {
        throw std::logic_error("FakeLibraryLoader holds at most MaxLibraries libraries");
    }
    Library library{.fileName = fileName};
    for (size_t i = 0; i < EntryPointNames.size(); ++i) {
        library.exports[i] =
            std::find(exports.begin(), exports.end(), EntryPointNames[i]) != exports.end();
    }
    libraries.push_back(std::move(library));
}

platform::LibraryHandle FakeLibraryLoader::Load(const char* fileName) {
    for (size_t i = 0; i < libraries.size(); ++i) {
        if (libraries[i].fileName == fileName) {
            ++libraries[i].loads;
            log.Add({.kind = EventKind::Load, .text = fileName});
            return HandleOf(i);
        }
    }
    log.Add({.kind = EventKind::Load, .text = fileName, .ok = false});
    return nullptr;
}

platform::EntryPoint FakeLibraryLoader::Find(platform::LibraryHandle handle, const char* name) {
    Library* library = FromHandle(handle);
    const auto entry = std::find(EntryPointNames.begin(), EntryPointNames.end(), name);
    const size_t e = static_cast<size_t>(entry - EntryPointNames.begin());
    const bool found = library != nullptr && library->loads > 0 && entry != EntryPointNames.end() &&
                       library->exports[e];
    log.Add({.kind = EventKind::Find, .text = name, .ok = found});
    if (!found) {
        return nullptr;
    }
    return trampolines[static_cast<size_t>(library - libraries.data())][e];
}

void FakeLibraryLoader::Free(platform::LibraryHandle handle) {
    Library* library = FromHandle(handle);
    log.Add({.kind = EventKind::Free, .text = library != nullptr ? library->fileName : "?"});
    if (library != nullptr && library->loads > 0) {
        --library->loads;
    }
}

int FakeLibraryLoader::Loaded() const {
    int loads = 0;
    for (const Library& library : libraries) {
        loads += library.loads;
    }
    return loads;
}

int FakeLibraryLoader::Calls(std::string_view entryPoint) const {
    const std::vector<Event> calls = log.OfKind(EventKind::Call);
    return static_cast<int>(std::count_if(calls.begin(), calls.end(),
                                          [&](const Event& e) { return e.text == entryPoint; }));
}

void FakeLibraryLoader::RecordCall(size_t library, size_t entryPoint) {
    const bool freed = library >= libraries.size() || libraries[library].loads == 0;
    log.Add({.kind = EventKind::Call,
             .text = std::string(EntryPointNames[entryPoint]),
             .value = freed ? 1u : 0u});
}

FakeLibraryLoader::Library* FakeLibraryLoader::FromHandle(platform::LibraryHandle handle) {
    const auto index = reinterpret_cast<uintptr_t>(handle);
    if (index == 0 || index > libraries.size()) {
        return nullptr;
    }
    return &libraries[index - 1];
}

}  // namespace corvane::test
