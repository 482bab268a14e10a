#include "tests/app-core/ScriptedProcedure.h"

namespace corvane::test {

UpdateController::Procedure ScriptedProcedure::Procedure() {
    return [this](const UploadJob& job, UploadObserver& observer, StopRequest& stop) {
        {
            std::lock_guard lock(mutex);
            lastJob = job;
        }
        ++runs;
        for (const auto& [position, range] : reports) {
            observer.Progress(position, range);
        }
        entered = true;
        std::unique_lock lock(mutex);
        released.wait(lock, [this] { return open || !hold; });
        return UploadOutcome{
            .code = code, .stopped = stop.Requested(), .accepted = 1, .detail = detail};
    };
}

void ScriptedProcedure::Release() {
    std::lock_guard lock(mutex);
    open = true;
    released.notify_all();
}

UploadJob ScriptedProcedure::LastJob() {
    std::lock_guard lock(mutex);
    return lastJob;
}

}  // namespace corvane::test
