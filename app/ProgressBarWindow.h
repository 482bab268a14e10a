#pragma once

#include <QPointer>
#include <QProgressBar>

namespace corvane {

// The dialog's progress bar, stored when the dialog is initialised. It becomes null by itself
// when the dialog is destroyed, so an update outliving the dialog no longer draws. GUI thread only.
extern QPointer<QProgressBar> ProgressBarWindow;

}  // namespace corvane
