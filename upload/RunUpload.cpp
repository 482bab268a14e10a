#include "upload/RunUpload.h"

#include "upload/BinaryParameterUpload.h"
#include "upload/TextParameterUpload.h"

namespace corvane {

namespace {

// One procedure object per run, gone when the run is over.
template <typename Procedure>
UploadOutcome RunOnce(const UploadJob& job, const ProgressCallback& progress,
                      platform::Platform& platform, StopRequest* stop) {
    Procedure procedure(platform);
    return procedure.Upload(job, progress, stop);
}

}  // namespace

UploadOutcome RunUpload(const UploadJob& job, const ProgressCallback& progress,
                        platform::Platform& platform, StopRequest* stop) {
    if (job.procedure == UploadProcedure::Text) {
        return RunOnce<TextParameterUpload>(job, progress, platform, stop);
    }
    return RunOnce<BinaryParameterUpload>(job, progress, platform, stop);
}

}  // namespace corvane
