#pragma once

#include <QApplication>
#include <QString>

#include "app/AppOptions.h"
#include "app/UpdateDialog.h"

namespace corvane {

// The process's application object: its start-up runs the one dialog, or the station with
// --station, and the program ends with it.
class UpdateApp : public QApplication {
    Q_OBJECT

  public:
    UpdateApp(int& argc, char** argv);
    ~UpdateApp() override;

    // Runs the main dialog or the station (or renders it, for --screenshot) until it has ended.
    // Returns false: there is no message loop of the application's own after the dialog.
    bool InitInstance(const AppOptions& options);
};

// Shows the dialog and returns once it has ended. It ends only without an update running: closed
// during one, it first stops it at the next block boundary and shows its result.
void RunMainDialog(const DialogServices& services, bool fullScreen);

// Initialises the dialog and saves what it shows as a PNG; false when the file could not be
// written.
bool RenderMainDialog(const DialogServices& services, const QString& pngPath);

}  // namespace corvane
