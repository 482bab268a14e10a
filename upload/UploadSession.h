#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <utility>

#include "link/ModuleLink.h"
#include "platform/Clock.h"
#include "upload/FileFamily.h"
#include "upload/ParameterFile.h"
#include "upload/RunUpload.h"
#include "upload/UploadOutcome.h"

namespace corvane {

// What both upload procedures do around their transfer: take the file, the port and the module
// in that order and make sure the module answers, give them back in the right order on every
// path, and keep the outcome as it happens.
class UploadSession {
  public:
    // closingPause: the wait after the switch-off command, before the radio is powered down.
    UploadSession(ModuleLink& link, uint32_t closingPause, const UploadRun& run);

    // One whole run: opens the file, then the port, finds the module's rate, powers and resets
    // the module and checks that it answers "AT\r"; only then runs the transfer, and ends with
    // the closing sequence whatever its result. A run that fails, or is stopped, before the
    // module answered releases what it took (file first, then the port) and says why; an
    // unusable set name touches nothing.
    template <typename Transfer>
    UploadOutcome Run(Transfer transfer) {
        const ResultCode started = Start();
        outcome.code = started != ResultOk || outcome.stopped ? started : Finish(transfer());
        if (outcome.code != ResultOk && portTried) {
            NameOtherHolders();
        }
        return outcome;
    }

    // Sends a single command whose reply does not matter.
    void SendUnchecked(const char* command);
    // Before each probe, command and block that a stop may spare: true when the run is to stop
    // there, and from then on it counts as stopped. The transfer asks at its block boundaries.
    bool StopHere();
    // The module accepted a block: counted, and reported as (position, range).
    void Accepted(uint32_t position, uint32_t range);
    // Tells the run's observer.
    void Report(const PhaseReport& report);
    // Why the transfer failed, for the operator: what the file holds there or what the module
    // answered.
    void Explain(std::string detail) { outcome.detail = std::move(detail); }
    // Why the file cannot go in: named with its path, and whether it is the other family's.
    void ExplainFile(const std::string& problem) {
        outcome.detail = RefusedFile(job.filePath, job.procedure, problem);
    }

    ParameterFile& File() { return file; }
    const char* SetName() const { return job.setName.c_str(); }
    // The reply buffer of every exchange of the run.
    std::span<char> Reply() { return reply; }

  private:
    ResultCode Start();
    bool Handshake();
    // Switches the module off, powers the radio down, closes the port, then the file.
    ResultCode Finish(ResultCode result);
    // The ways out before the module is known to answer: file first, then the port.
    ResultCode Abandon(ResultCode result, bool portOpen);
    // Another program on the port may be why it failed: the detail names it.
    void NameOtherHolders();

    ModuleLink& link;
    platform::Clock& clock;
    uint32_t closingPause;
    const UploadJob& job;
    UploadObserver& observer;
    StopRequest& stop;
    // The run got as far as opening the port.
    bool portTried = false;
    UploadOutcome outcome;
    ParameterFile file;
    std::array<char, ReplyBufferSize> reply{};
};

}  // namespace corvane
