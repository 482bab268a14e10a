#pragma once

namespace corvane {

// Model code of the chosen module family: empty until the dialog routes its first command, then
// "31" or "47". Written and read on the GUI thread only; an update takes a copy when it starts.
extern char ModuleFamily[3];

}  // namespace corvane
