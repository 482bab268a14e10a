#pragma once

#include <QObject>
#include <thread>

#include "app/MessagePresenter.h"
#include "app/UpdateWorker.h"
#include "upload/StopRequest.h"

namespace corvane {

// Runs updates one at a time, each on a thread of its own: an update is under way from its start
// until the operator dismisses its result box. It outlives the dialog, so that an update still
// running when the dialog closes can be stopped between two blocks, end its own sequence and
// still be reported.
class UpdateRunner : public QObject {
    Q_OBJECT

  public:
    UpdateRunner(MessagePresenter& messages, UpdateWorker::Procedure procedure);
    // Stops a running worker and waits for it, serving the GUI thread's events meanwhile.
    ~UpdateRunner() override;

    bool Busy() const { return busy; }
    // Starts a worker thread for the job; false when an update is under way or no thread could
    // be created.
    bool Start(UploadJob job);
    // Returns once no update is under way, serving events meanwhile (the worker's progress calls
    // and the result box among them).
    void WaitUntilIdle();
    // Asks the running update, if any, to end at the next block boundary; it still ends with its
    // closing sequence and its result box.
    void Stop() { stop.Request(); }

  signals:
    // The result box of the last update has been dismissed.
    void Idle();

  private:
    void WorkerEnded(const UploadOutcome& outcome);

    MessagePresenter& messages;
    UpdateWorker::Procedure procedure;
    StopRequest stop;
    std::thread worker;
    bool busy = false;
};

}  // namespace corvane
