#include "upload/UploadSession.h"

#include "link/ReplyText.h"
#include "platform/EscapedBytes.h"
#include "upload/BlockCommands.h"
#include "upload/FailureDetail.h"
#include "upload/PortHoldersText.h"

namespace corvane {

namespace {

constexpr int HandshakeAttempts = 6;

std::string Named(const std::string& name, const std::string& reason) {
    return reason.empty() ? "" : EscapedText(name) + ": " + reason;
}

}  // namespace

UploadSession::UploadSession(ModuleLink& link, uint32_t closingPause, const UploadRun& run)
    : link(link),
      clock(run.platform.clock),
      closingPause(closingPause),
      job(run.job),
      observer(run.observer),
      stop(run.stop),
      outcome{.procedure = run.job.procedure} {}

ResultCode UploadSession::Start() {
    // The command refuses such a name before this; other callers meet it here.
    if (!SetNameProblem(job.setName).empty()) {
        return ResultInvalidParameters;
    }
    if (!file.Open(job.filePath)) {
        outcome.detail =
            job.filePath.empty() ? "no parameter file chosen" : Named(job.filePath, file.Problem());
        return ResultFileOpenFailed;
    }
    portTried = !job.portName.empty();
    if (!link.Open(job.portName, job.baudRate)) {
        outcome.detail = job.portName.empty() ? "no serial port configured"
                                              : Named(job.portName, link.PortError());
        return Abandon(ResultPortUnavailable, false);
    }
    Report({.phase = UploadPhase::FindingRate, .rate = job.baudRate});
    outcome.rate = link.DetectBaudRate(job.baudRate, [this] { return StopHere(); });
    if (StopHere()) {
        return Abandon(ResultOk, true);
    }
    if (!outcome.rate) {
        outcome.detail = NoAnswerAtAnyRate(job.baudRate, link.Echoes());
        return Abandon(ResultModemNotConnected, true);
    }
    Report({.phase = UploadPhase::RateFound, .rate = *outcome.rate});
    link.PowerOnAndReset();
    if (!Handshake()) {
        if (outcome.stopped) {
            return Abandon(ResultOk, true);
        }
        outcome.detail = NoAnswerAfterReset(*outcome.rate, HandshakeAttempts);
        return Abandon(ResultModemNotConnected, true);
    }
    return ResultOk;
}

bool UploadSession::Handshake() {
    for (int attempt = 0; attempt < HandshakeAttempts; ++attempt) {
        if (StopHere()) {
            return false;
        }
        SendUnchecked("AT\r");
        // Verbose or numeric result, wherever it stands in the reply.
        if (reply_text::SaysOk(reply)) {
            return true;
        }
    }
    return false;
}

void UploadSession::SendUnchecked(const char* command) {
    link.SendCommand(command, reply, ReplyBufferSize);
}

bool UploadSession::StopHere() {
    if (!stop.Requested()) {
        return false;
    }
    outcome.stopped = true;
    return true;
}

void UploadSession::Accepted(uint32_t position, uint32_t range) {
    ++outcome.accepted;
    outcome.position = position;
    outcome.range = range;
    observer.Progress(position, range);
}

void UploadSession::Report(const PhaseReport& report) {
    observer.Phase(report);
}

ResultCode UploadSession::Finish(ResultCode result) {
    Report({.phase = UploadPhase::SwitchingOff});
    SendUnchecked("AT^QMSO\r");
    clock.Sleep(closingPause);
    link.PowerOff();
    link.Close();
    file.Close();
    return result;
}

void UploadSession::NameOtherHolders() {
    AddOtherHolders(outcome.detail, job.portName, link.OtherPortHolders(job.portName));
}

ResultCode UploadSession::Abandon(ResultCode result, bool portOpen) {
    file.Close();
    if (portOpen) {
        link.Close();
    }
    return result;
}

}  // namespace corvane
