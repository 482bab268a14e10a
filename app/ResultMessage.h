#pragma once

#include "app/MessagePresenter.h"

namespace corvane {

inline constexpr const char* MessageCaption = "Audio Parameter Update";

// The box that tells the operator how an update ended: the success text for 0, else the failure
// text with the code and the code's words (none for codes without words).
Message ResultMessageFor(int code);

}  // namespace corvane
