#pragma once

#include <string>

#include "app/core/ParameterFileCheck.h"
#include "app/core/UpdateView.h"

namespace corvane {

// "audio.old.prm" shows as "audio.old"; a name without "." whole.
std::string NameBeforeLastDot(const std::string& fileName);

// "File Date: 2026/12/7".
std::string DateText(const FileDate& date);

// A path as the command line gave it, made whole as the file dialog gives it, so that a tooltip
// tells where the file is; kept as given when the system cannot say.
ChosenFile GivenFile(const std::string& given);

}  // namespace corvane
