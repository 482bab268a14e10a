#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

namespace corvane::cli {

inline std::string FileContents(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// A fresh directory under /tmp, removed with everything in it when the object goes.
class ScratchDirectory {
  public:
    ScratchDirectory() {
        std::string pattern = std::filesystem::temp_directory_path() / "corvane-cli-XXXXXX";
        path = mkdtemp(pattern.data());
    }
    ~ScratchDirectory() { std::filesystem::remove_all(path); }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    std::string PathOf(const std::string& name) const { return path / name; }
    // Writes a file of the given bytes and returns its path.
    std::string Write(const std::string& name, std::string_view bytes) const {
        std::ofstream(path / name, std::ios::binary).write(bytes.data(), std::ssize(bytes));
        return PathOf(name);
    }

  private:
    std::filesystem::path path;
};

}  // namespace corvane::cli
