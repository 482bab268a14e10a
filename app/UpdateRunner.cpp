#include "app/UpdateRunner.h"

#include <QCoreApplication>
#include <QPointer>
#include <system_error>

#include "app/ResultMessage.h"

namespace corvane {

UpdateRunner::UpdateRunner(MessagePresenter& messages, UpdateWorker::Procedure procedure)
    : messages(messages), procedure(std::move(procedure)) {}

UpdateRunner::~UpdateRunner() {
    stop.Request();
    // Not a plain join: the worker may be waiting for the GUI thread to show its progress.
    while (worker.joinable()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

bool UpdateRunner::Start(UploadJob job) {
    if (busy) {
        return false;
    }
    stop.Reset();
    try {
        worker = std::thread([this, job = std::move(job)] {
            UploadOutcome outcome = UpdateWorker::Run(job, procedure, stop);
            QMetaObject::invokeMethod(
                this, [this, outcome = std::move(outcome)] { WorkerEnded(outcome); },
                Qt::QueuedConnection);
        });
    } catch (const std::system_error&) {
        return false;
    }
    busy = true;
    return true;
}

void UpdateRunner::WaitUntilIdle() {
    while (busy) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

void UpdateRunner::WorkerEnded(const UploadOutcome& outcome) {
    worker.join();
    messages.ShowOwnerless(ResultMessageFor(outcome), [runner = QPointer(this)] {
        if (runner) {
            runner->busy = false;
            emit runner->Idle();
        }
    });
}

}  // namespace corvane
