#pragma once

#include <optional>
#include <string>

namespace corvane {

// A calendar date in local time; all zero when the system could not say.
struct FileDate {
    int year = 0;
    int month = 0;
    int day = 0;
};

// Opens the chosen parameter file (a UTF-8 path) once, to make sure that it can be read, and
// closes it again. The local date of its last write when it opened; nothing when it did not, and
// problem then says why ("no such file"). The content is not looked at: the update judges it.
std::optional<FileDate> CheckParameterFile(const std::string& path, std::string& problem);

}  // namespace corvane
