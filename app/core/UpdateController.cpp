#include "app/core/UpdateController.h"

#include <system_error>

#include "app/core/ChosenFileText.h"
#include "app/core/ParameterFileCheck.h"
#include "app/core/ResultMessage.h"
#include "platform/SystemRegistry.h"
#include "upload/RunUpload.h"

namespace corvane {
namespace {

constexpr const char* StopQuestion = "An update is running. Stop it after the current block?";

}  // namespace

UpdateController::Procedure UpdateController::ModuleProcedure(platform::Platform& platform) {
    return [&platform](const UploadJob& job, UploadObserver& observer, StopRequest& stop) {
        return RunUpload({job, observer, stop, platform});
    };
}

UpdateController::UpdateController(UpdateView& view, Setup setup)
    : view(view), setup(std::move(setup)) {}

UpdateController::~UpdateController() {
    if (worker.joinable()) {
        stop.Request();
        worker.join();
    }
}

bool UpdateController::Open() {
    view.CheckFamily(0);
    view.SetProgress({0, 100});
    UpdateStartButton();
    const GivenSettings& given = setup.givenSettings;
    std::string missing;
    std::string portValue;
    bool known = given.port && given.baudRate;
    if (!known) {
        known = platform::LookupConnectionSettings(setup.registry, portName, baudRate, &missing,
                                                   &portValue);
        if (!portValue.empty()) {
            portOrigin = "the registry's " + portValue;
        }
    }
    if (given.port) {
        portName = *given.port;
        portOrigin.clear();
    }
    baudRate = given.baudRate.value_or(baudRate);
    if (!known) {
        // The system's own words first, then what is missing, then what the operator can do.
        const std::string& problem =
            setup.registryProblem.empty() ? missing : setup.registryProblem;
        const std::string warning = std::string(platform::RegistryWarningText) + "\r\n" + problem +
                                    "\r\n" + platform::SettingsAdvice;
        view.ShowBox({warning, MessageCaption, MessageIcon::Exclamation});
    }
    if (!setup.givenFile.empty()) {
        TakeFile(GivenFile(setup.givenFile));
    }
    return known;
}

void UpdateController::FamilyClicked() {
    ReadFamily();
}

void UpdateController::SelectFile() {
    ReadFamily();
    const std::optional<ChosenFile> chosen = view.ChooseFile();
    if (chosen) {
        TakeFile(*chosen);
    }
}

void UpdateController::TakeFile(const ChosenFile& chosen) {
    view.BeginWaitCursor();
    view.EnableStart(false);
    filePath = chosen.path;
    std::string problem;
    const std::optional<FileDate> date = CheckParameterFile(filePath, problem);
    chosenFileOpens = date.has_value();
    if (date) {
        view.ShowFile(NameBeforeLastDot(chosen.name), DateText(*date), filePath);
    } else {
        // The system's text, then which file and why, as in the result boxes.
        view.ShowBox({"Unable to open file!\r\n" + filePath + ": " + problem, MessageCaption,
                      MessageIcon::Exclamation});
    }
    view.EndWaitCursor();
    UpdateStartButton();
}

void UpdateController::StartUpdate() {
    ReadFamily();
    if (phase != Phase::Idle) {
        return;
    }
    // The job is a copy: what the operator changes from now on does not reach this update.
    job = {.procedure = ProcedureForModelCode(modelCode.c_str()),
           .filePath = filePath,
           .portName = portName,
           .baudRate = baudRate};
    stop.Reset();
    try {
        worker = std::thread(&UpdateController::RunWorker, this);
    } catch (const std::system_error&) {
        return;
    }
    phase = Phase::Running;
    view.EnableStart(false);
    // Reports of the worker are queued behind this, so the bar starts from here.
    view.SetProgress({0, 100});
}

void UpdateController::RunWorker() {
    // The bar takes 16-bit counts; the run's thread reaches the view only by posting.
    struct ToView final : UploadObserver {
        explicit ToView(UpdateView& view) : view(view) {}
        void Progress(uint32_t position, uint32_t range) override {
            view.PostProgress(ScaleProgress(position, range));
        }
        UpdateView& view;
    } toView(view);
    outcome = setup.procedure(job, toView, stop);
    view.PostRunEnded();
}

void UpdateController::CloseRequested() {
    ReadFamily();
    if (phase == Phase::Idle) {
        view.End();
        return;
    }
    if (closing || asking) {
        return;
    }
    if (phase == Phase::Reporting) {
        // The box that is open is the last thing the operator should see.
        closing = true;
        return;
    }
    asking = true;
    const bool yes = view.Ask({StopQuestion, MessageCaption, MessageIcon::Question});
    asking = false;
    if (phase == Phase::Ended) {
        // The run's end closed the question; closing goes on as it does after a run.
        closing = true;
        Report();
        return;
    }
    if (!yes) {
        return;
    }
    closing = true;
    stop.Request();
    view.BeginWaitCursor();
}

void UpdateController::RunEnded() {
    worker.join();
    if (asking) {
        // Reported once Ask has returned: nothing of this run is shown under the question.
        phase = Phase::Ended;
        view.CloseQuestion();
        return;
    }
    Report();
}

void UpdateController::Report() {
    // Only a stop asked for on closing sets the operator waiting; the dialog ends after the result.
    if (stop.Requested()) {
        view.EndWaitCursor();
    }
    if (outcome.Succeeded()) {
        view.SetProgress({100, 100});
    }
    phase = Phase::Reporting;
    view.ShowResult(ResultMessageFor(outcome, job, portOrigin));
}

void UpdateController::ResultDismissed() {
    if (phase != Phase::Reporting) {
        return;
    }
    phase = Phase::Idle;
    UpdateStartButton();
    if (closing) {
        view.End();
    }
}

void UpdateController::ReadFamily() {
    switch (view.CheckedFamily()) {
        case 0:
            modelCode = "31";
            break;
        case 1:
            modelCode = "47";
            break;
        default:
            break;
    }
}

void UpdateController::UpdateStartButton() {
    view.EnableStart(chosenFileOpens && phase == Phase::Idle);
}

}  // namespace corvane
