#include "platform/registry/RegFileRegistry.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/EscapedBytes.h"
#include "platform/RegularFile.h"
#include "platform/registry/RegFileParser.h"

namespace corvane::platform {

bool RegFileRegistry::Load(const std::string& path, std::string& error) {
    Clear();
    const std::string named = EscapedText(path) + ": ";
    RegularFile opened = OpenRegularFile(path);
    if (opened.stream == nullptr) {
        error = named + opened.problem;
        return false;
    }
    const std::unique_ptr<FILE, int (*)(FILE*)> file(opened.stream, std::fclose);
    std::vector<uint8_t> bytes;
    uint8_t chunk[65536];
    size_t count = 0;
    while ((count = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
        if (bytes.size() + count > MaxFileSize) {
            error = named + "larger than " + std::to_string(MaxFileSize) + " bytes";
            return false;
        }
        bytes.insert(bytes.end(), chunk, chunk + count);
    }
    if (std::ferror(file.get())) {
        error = named + std::strerror(errno);
        return false;
    }
    if (!Parse(bytes, error)) {
        error = named + error;
        return false;
    }
    return true;
}

bool RegFileRegistry::Parse(std::span<const uint8_t> bytes, std::string& error) {
    Clear();
    if (!ParseRegFile(bytes, *this, error)) {
        Clear();
        return false;
    }
    return true;
}

}  // namespace corvane::platform
