#include "app/ProgressBarWindow.h"

namespace corvane {

QPointer<QProgressBar> ProgressBarWindow;

}  // namespace corvane
