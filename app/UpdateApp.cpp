#include "app/UpdateApp.h"

#include <QEventLoop>
#include <QFile>
#include <QPixmap>

#include "app/LoggedMessages.h"
#include "app/QtFileChooser.h"
#include "app/QtMessagePresenter.h"
#include "app/StationApp.h"
#include "app/VersionRecord.h"
#include "platform/SystemPlatform.h"
#include "platform/registry/RegistryFileChoice.h"

namespace corvane {

UpdateApp::UpdateApp(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationVersion(VersionRecord::Load().fileVersion);
    // The program ends when the dialog's own loop returns, not when some window closes.
    setQuitOnLastWindowClosed(false);
}

UpdateApp::~UpdateApp() = default;

bool UpdateApp::InitInstance(const AppOptions& options) {
    std::string registryProblem;
    const std::unique_ptr<platform::Registry> registry = platform::OpenSettingsRegistry(
        QFile::encodeName(options.registryPath).toStdString(), registryProblem);
    // The station takes no more than a first rate from it, and its search finds the rest.
    if (!registryProblem.empty() && !options.station) {
        // The dialog's warning tells the operator too; the log is for whoever set the device up.
        qWarning("%s", registryProblem.c_str());
    }
    QtMessagePresenter boxes;
    LoggedMessages logged;
    MessagePresenter& messages = options.screenshotPath.isEmpty()
                                     ? static_cast<MessagePresenter&>(boxes)
                                     : static_cast<MessagePresenter&>(logged);
    QtFileChooser files;
    if (options.station) {
        const StationServices station{files, messages, StationSetup(*options.station, *registry)};
        if (options.screenshotPath.isEmpty()) {
            RunStationWindow(station, options.fullScreen);
        } else if (!RenderStationWindow(station, options.screenshotPath)) {
            qWarning("cannot write %s", qPrintable(options.screenshotPath));
        }
        return false;
    }
    platform::SystemPlatform system;
    const DialogServices services{*registry,
                                  files,
                                  messages,
                                  UpdateController::ModuleProcedure(system.Get()),
                                  registryProblem,
                                  QFile::encodeName(options.parameterFile).toStdString(),
                                  {options.port, options.baudRate}};
    if (options.screenshotPath.isEmpty()) {
        RunMainDialog(services, options.fullScreen);
    } else if (!RenderMainDialog(services, options.screenshotPath)) {
        qWarning("cannot write %s", qPrintable(options.screenshotPath));
    }
    return false;
}

void RunMainDialog(const DialogServices& services, bool fullScreen) {
    UpdateDialog dialog(services);
    if (fullScreen) {
        // A fixed size would keep the window manager from filling the screen; the layout
        // stretches to whatever size the dialog gets.
        dialog.setMinimumSize(0, 0);
        dialog.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        dialog.setWindowState(Qt::WindowFullScreen);
    }
    // Modal in that nothing goes on until it ends, but not with QDialog::exec(): that would
    // make it application-modal and block the ownerless result boxes it must leave usable.
    QEventLoop untilEnded;
    QObject::connect(&dialog, &QDialog::finished, &untilEnded, &QEventLoop::quit);
    dialog.show();
    // It may have ended already, while its initialisation showed the registry warning.
    if (dialog.isVisible()) {
        untilEnded.exec();
    }
}

bool RenderMainDialog(const DialogServices& services, const QString& pngPath) {
    UpdateDialog dialog(services);
    dialog.show();
    const bool saved = dialog.grab().save(pngPath, "PNG");
    dialog.hide();
    return saved;
}

}  // namespace corvane
