#include "cli/ProgramInput.h"

namespace corvane::cli {

namespace {

const char* Text(const std::optional<std::string>& value) {
    return value ? value->c_str() : nullptr;
}

}  // namespace

ProgramInput::ProgramInput(int argc, char** argv)
    : arguments(Utf8Arguments(argc, argv)),
      registry(Utf8Variable("CORVANE_REGISTRY")),
      port(Utf8Variable("CORVANE_PORT")),
      baud(Utf8Variable("CORVANE_BAUD")) {
    for (const std::string& argument : arguments) {
        pointers.push_back(argument.c_str());
    }
}

Environment ProgramInput::Variables() const {
    return {.registry = Text(registry), .port = Text(port), .baud = Text(baud)};
}

}  // namespace corvane::cli
