#include "platform/FileDigest.h"

#include <array>
#include <cerrno>
#include <cstring>

#include "platform/RegularFile.h"
#include "platform/Sha256.h"

namespace corvane::platform {

FileDigest DigestFile(const std::string& path) {
    const RegularFile file = OpenRegularFile(path);
    if (file.stream == nullptr) {
        return {.problem = file.problem};
    }
    Sha256 digest;
    FileDigest result;
    std::array<uint8_t, 65536> piece;
    size_t count;
    while ((count = std::fread(piece.data(), 1, piece.size(), file.stream)) > 0) {
        digest.Add(std::span(piece).first(count));
        result.size += count;
    }
    const bool failed = std::ferror(file.stream) != 0;
    const int error = errno;
    std::fclose(file.stream);
    if (failed) {
        return {.problem = std::strerror(error)};
    }
    static constexpr char Digits[] = "0123456789abcdef";
    for (const uint8_t byte : digest.Finish()) {
        result.sha256 += Digits[byte >> 4];
        result.sha256 += Digits[byte & 0xF];
    }
    return result;
}

}  // namespace corvane::platform
