#pragma once

#include <optional>

#include "app/core/UpdateView.h"

// The window handle as <windows.h> declares it, without its macros here.
struct HWND__;

namespace corvane {

// The common file-open dialog for a parameter file, owned by owner; nothing when cancelled.
std::optional<ChosenFile> ChooseParameterFile(HWND__* owner);

}  // namespace corvane
