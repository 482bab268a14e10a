#include "app/StationApp.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QPixmap>

#include "line/LineUpdate.h"
#include "platform/UserRecordPath.h"
#include "platform/registry/ConnectionSettings.h"

namespace corvane {

StationController::Setup StationSetup(const StationArguments& arguments,
                                      const platform::Registry& registry) {
    uint32_t baudRate = platform::DefaultBaudRate;
    if (arguments.baudRate) {
        baudRate = *arguments.baudRate;
    } else {
        // The port the registry names is the handheld's one radio, not a line's.
        std::string port;
        platform::LookupConnectionSettings(registry, port, baudRate);
    }
    return {.procedure = line::RunLineUpdate,
            .baudRate = baudRate,
            .recordPath =
                arguments.recordFile.empty() ? platform::UserRecordPath() : arguments.recordFile,
            .givenFile = arguments.parameterFile,
            .givenPorts = arguments.ports};
}

void RunStationWindow(const StationServices& services, bool fullScreen) {
    StationWindow window(services);
    if (fullScreen) {
        window.setWindowState(Qt::WindowFullScreen);
    }
    QEventLoop untilEnded;
    QObject::connect(&window, &StationWindow::Ended, &untilEnded, &QEventLoop::quit);
    window.show();
    if (window.isVisible()) {
        untilEnded.exec();
    }
}

bool RenderStationWindow(const StationServices& services, const QString& pngPath) {
    StationWindow window(services);
    window.show();
    // The set-up's area takes the height of its contents once the layouts' requests have run.
    QCoreApplication::processEvents();
    const bool saved = window.grab().save(pngPath, "PNG");
    window.hide();
    return saved;
}

}  // namespace corvane
