#include "upload/RunUpload.h"

#include "link/ModuleLink.h"
#include "upload/BinaryTransfer.h"
#include "upload/TextTransfer.h"
#include "upload/UploadSession.h"

namespace corvane {

UploadOutcome RunUpload(const UploadRun& run) {
    ModuleLink link(run.platform);
    const bool text = run.job.procedure == UploadProcedure::Text;
    UploadSession session(link, text ? TextClosingPause : BinaryClosingPause, run);
    const UploadOutcome outcome = session.Run(
        [&] { return text ? TransferText(link, session) : TransferBinary(link, session); });
    run.observer.Finished(outcome);
    return outcome;
}

}  // namespace corvane
