#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace corvane::cli {

// A fresh directory under /tmp, removed with everything in it when the object goes.
class ScratchDirectory {
  public:
    ScratchDirectory() {
        std::string pattern = (std::filesystem::temp_directory_path() / "corvane-cli-XXXXXX");
        path = mkdtemp(pattern.data());
    }
    ~ScratchDirectory() { std::filesystem::remove_all(path); }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    // Writes a file of the given bytes and returns its path.
    std::string Write(const std::string& name, std::string_view bytes) const {
        const std::filesystem::path file = path / name;
        std::ofstream(file, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
        return file.string();
    }
    std::string PathOf(const std::string& name) const { return (path / name).string(); }

  private:
    std::filesystem::path path;
};

}  // namespace corvane::cli
