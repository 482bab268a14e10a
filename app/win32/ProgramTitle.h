#pragma once

#include <string>

namespace corvane {

// The program file's name without its extension (UTF-8): the caption of the boxes that name the
// program rather than the update.
std::string ProgramTitle();

}  // namespace corvane
