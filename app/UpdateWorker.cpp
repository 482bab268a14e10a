#include "app/UpdateWorker.h"

#include <QCoreApplication>
#include <QThread>
#include <algorithm>

#include "app/ProgressBarWindow.h"

namespace corvane {

UpdateWorker::Procedure UpdateWorker::ModuleProcedure(platform::Platform& platform) {
    return [&platform](const UpdateRequest& request, const corvane::ProgressCallback& progress,
                       StopRequest& stop) {
        return RunWatchedUpload(request.moduleFamily.c_str(), "aud", request.filePath,
                                request.portName, request.baudRate, progress, platform, &stop);
    };
}

UploadOutcome UpdateWorker::Run(const UpdateRequest& request, const Procedure& procedure,
                                StopRequest& stop) {
    ProgressCallback(0, 100);
    UploadOutcome outcome = procedure(request, &UpdateWorker::ProgressCallback, stop);
    if (outcome.code == ResultOk) {
        ProgressCallback(100, 100);
    }
    return outcome;
}

int UpdateWorker::ProgressCallback(uint32_t position, uint32_t range) {
    const ProgressScale scale = ScaleProgress(position, range);
    const auto show = [scale] {
        if (ProgressBarWindow) {
            ProgressBarWindow->setRange(0, scale.range);
            // Like the device's control, the bar stops at its ends.
            ProgressBarWindow->setValue(std::min(scale.position, scale.range));
        }
    };
    QCoreApplication* app = QCoreApplication::instance();
    if (QThread::currentThread() == app->thread()) {
        show();
    } else {
        // The GUI thread never blocks on a worker without serving events (see UpdateRunner), so
        // this wait always ends.
        QMetaObject::invokeMethod(app, show, Qt::BlockingQueuedConnection);
    }
    return 1;
}

}  // namespace corvane
