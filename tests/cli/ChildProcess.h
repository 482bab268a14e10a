#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace corvane::cli {

struct ChildResult {
    int status = -1;  // the exit status, or 128 + the signal that ended it
    bool timedOut = false;
    std::string out;
    std::string err;
};

// Runs program with arguments, stdin from /dev/null, and collects what it prints. The
// environment is this process's, less the names in unset, plus the NAME=value entries of set.
// A program still running at the time-out is killed.
ChildResult RunChild(const std::string& program, const std::vector<std::string>& arguments,
                     const std::vector<std::string>& set, const std::vector<std::string>& unset,
                     std::chrono::milliseconds timeout);

}  // namespace corvane::cli
