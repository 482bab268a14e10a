#pragma once

#include <string>
#include <vector>

namespace corvane::cli {

struct ChildResult {
    int status = -1;  // the exit status, or 128 + the signal that ended it
    std::string out;
    std::string err;
};

// Runs program with arguments and stdin from /dev/null, waits for it and returns what it
// printed. environment replaces this process's environment.
ChildResult RunChild(const std::string& program, const std::vector<std::string>& arguments,
                     const std::vector<std::string>& environment);

}  // namespace corvane::cli
