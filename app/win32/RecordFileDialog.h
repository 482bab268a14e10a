#pragma once

#include <optional>
#include <string>

#include "app/core/UpdateView.h"

// The window handle as <windows.h> declares it, without its macros here.
struct HWND__;

namespace corvane {

// The common save dialog for the station's record (JSON Lines), owned by owner and starting at
// current (UTF-8); nothing when cancelled.
std::optional<ChosenFile> ChooseRecordFile(HWND__* owner, const std::string& current);

}  // namespace corvane
