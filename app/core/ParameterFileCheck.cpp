#include "app/core/ParameterFileCheck.h"

#include <chrono>
#include <ctime>
#include <filesystem>

#include "upload/ParameterFile.h"

namespace corvane {
namespace {

FileDate LastWriteDate(const std::string& path) {
    std::error_code error;
    const auto written = std::filesystem::last_write_time(
        std::filesystem::path(std::u8string(path.begin(), path.end())), error);
    if (error) {
        return {};
    }
    const std::time_t seconds =
        std::chrono::system_clock::to_time_t(std::chrono::time_point_cast<std::chrono::seconds>(
            std::chrono::file_clock::to_sys(written)));
    // Only the window's thread converts times, so the C library's shared result is safe here.
    const std::tm* local = std::localtime(&seconds);
    if (local == nullptr) {
        return {};
    }
    return {local->tm_year + 1900, local->tm_mon + 1, local->tm_mday};
}

}  // namespace

std::optional<FileDate> CheckParameterFile(const std::string& path, std::string& problem) {
    ParameterFile file;
    if (!file.Open(path)) {
        problem = file.Problem();
        return std::nullopt;
    }
    return LastWriteDate(path);
}

}  // namespace corvane
