#include "app/UpdateWorker.h"

#include <QCoreApplication>
#include <QThread>
#include <algorithm>

#include "app/ProgressBarWindow.h"
#include "upload/RunUpload.h"

namespace corvane {

UpdateWorker::Procedure UpdateWorker::ModuleProcedure(platform::Platform& platform) {
    return [&platform](const UploadJob& job, const corvane::ProgressCallback& progress,
                       StopRequest& stop) { return RunUpload(job, progress, platform, &stop); };
}

UploadOutcome UpdateWorker::Run(const UploadJob& job, const Procedure& procedure,
                                StopRequest& stop) {
    ProgressCallback(0, 100);
    UploadOutcome outcome = procedure(job, &UpdateWorker::ProgressCallback, stop);
    if (outcome.Succeeded()) {
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
