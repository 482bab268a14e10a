#include "cli/ProgramInput.h"

#include <cstdlib>

namespace corvane::cli {

// The bytes as the system gives them: file names are bytes here, whatever the locale.
std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    return {argv, argv + argc};
}

std::optional<std::string> Utf8Variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

}  // namespace corvane::cli
