#pragma once

#include <string>

#include "app/ResourceScript.h"

// The build defines both for every program and for the resource compiler; the script names them.
#define CORVANE_TEXT_OF(...) #__VA_ARGS__
#define CORVANE_EXPANDED_TEXT_OF(...) CORVANE_TEXT_OF(__VA_ARGS__)

namespace corvane {

// The names in resources/Corvane.rc that the build defines, with the texts it gives them.
inline constexpr ScriptMacro ProgramScriptMacros[] = {
    {"CORVANE_VERSION", CORVANE_EXPANDED_TEXT_OF(CORVANE_VERSION)},
    {"CORVANE_RELEASE", CORVANE_EXPANDED_TEXT_OF(CORVANE_RELEASE)},
    {"CORVANE_VERSION_NUMBERS", CORVANE_EXPANDED_TEXT_OF(CORVANE_VERSION_NUMBERS)},
};

// The program's resource script as compiled in under ":/corvane", read with those macros. False,
// with the reason, when it is missing or damaged.
bool ReadProgramResources(ResourceScript& script, std::string& error);

}  // namespace corvane
