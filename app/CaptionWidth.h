#pragma once

#include <QString>

namespace corvane {

// The width a window needs for its title bar to show caption whole: the text in the system's
// title font, and room for the icon and the buttons beside it.
int CaptionWidth(const QString& caption);

}  // namespace corvane
