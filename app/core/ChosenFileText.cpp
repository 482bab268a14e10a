#include "app/core/ChosenFileText.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace corvane {

std::string NameBeforeLastDot(const std::string& fileName) {
    return fileName.substr(0, fileName.rfind('.'));
}

std::string DateText(const FileDate& date) {
    char text[48];
    std::snprintf(text, sizeof text, "File Date: %d/%d/%d", date.year, date.month, date.day);
    return text;
}

ChosenFile GivenFile(const std::string& given) {
    std::filesystem::path path(std::u8string(given.begin(), given.end()));
    std::error_code error;
    std::filesystem::path whole = std::filesystem::absolute(path, error);
    if (!error) {
        path = whole.lexically_normal();
    }
    const std::u8string full = path.u8string();
    const std::u8string name = path.filename().u8string();
    return {std::string(full.begin(), full.end()), std::string(name.begin(), name.end())};
}

}  // namespace corvane
