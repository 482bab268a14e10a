#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/CommandLine.h"

namespace corvane::cli {

// The command's arguments and the environment variables it reads, as UTF-8. Windows hands a
// narrow main() its arguments in the ANSI code page, which cannot carry every file name, so
// there they are taken from the system as UTF-16 and converted once, here.
class ProgramInput {
  public:
    ProgramInput(int argc, char** argv);
    ProgramInput(const ProgramInput&) = delete;
    ProgramInput& operator=(const ProgramInput&) = delete;

    int Count() const { return static_cast<int>(pointers.size()); }
    const char* const* Arguments() const { return pointers.data(); }
    // Valid while this object lives.
    Environment Variables() const;

  private:
    std::vector<std::string> arguments;
    std::vector<const char*> pointers;
    std::optional<std::string> registry;
    std::optional<std::string> port;
    std::optional<std::string> baud;
};

// The system's side of it (posix/ or win32/ProgramInput.cpp).
std::vector<std::string> Utf8Arguments(int argc, char** argv);
std::optional<std::string> Utf8Variable(const char* name);

}  // namespace corvane::cli
