#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "app/core/UpdateView.h"
#include "platform/Platform.h"
#include "platform/registry/ConnectionSettings.h"
#include "platform/registry/Registry.h"
#include "upload/ProgressScale.h"
#include "upload/StopRequest.h"
#include "upload/UploadJob.h"
#include "upload/UploadObserver.h"
#include "upload/UploadOutcome.h"

namespace corvane {

// The window's rules, whichever toolkit draws it: the settings from the registry, the chosen file,
// the module family read at each command, one update at a time on a thread of its own with its
// progress and result, and closing during an update. It runs on the dialog's thread; the update's
// thread reaches the view only through its Post calls.
class UpdateController {
  public:
    using Procedure = std::function<UploadOutcome(const UploadJob&, UploadObserver&, StopRequest&)>;

    // --port and --baud of the program's command line: each, when given, wins over the registry.
    struct GivenSettings {
        std::optional<std::string> port;
        std::optional<uint32_t> baudRate;
    };

    struct Setup {
        const platform::Registry& registry;
        // Why the registry export could not be read ("<file>: line 3: ..."), shown with the
        // settings warning; empty when it was read.
        std::string registryProblem;
        Procedure procedure;
        // A parameter file named on the program's command line (UTF-8): taken when the dialog
        // opens as if "..." had chosen it. Empty for none.
        std::string givenFile = {};
        GivenSettings givenSettings = {};
    };

    // The upload the job names, through platform: the command's path.
    static Procedure ModuleProcedure(platform::Platform& platform);

    UpdateController(UpdateView& view, Setup setup);
    // A running update is stopped at its next probe, command or block boundary and waited for,
    // without a report: nobody is left to read one.
    ~UpdateController();
    UpdateController(const UpdateController&) = delete;
    UpdateController& operator=(const UpdateController&) = delete;

    // The dialog's initialisation: the first family checked, the bar at 0 of 100, "Start Update"
    // enabled, then the settings lookup, which warns once when port or rate is neither given nor
    // found, then the given file, if any. True when both settings are known.
    bool Open();

    // The operator's commands. Each first reads the family buttons: 0 stores "31", 1 stores "47",
    // neither checked keeps what was stored.
    void FamilyClicked();
    void SelectFile();
    void StartUpdate();
    // The close box, Escape, the caption's OK. Without an update the dialog ends at once. During
    // one the operator is asked; Yes stops it at its next probe, command or block boundary, and
    // the dialog ends once its result box has been dismissed. A run that ends while the question
    // is open closes it: no answer is needed any more, and the dialog ends after the result as it
    // does without one.
    void CloseRequested();

    // Called by the view on the dialog's thread: the end of the run that PostRunEnded announced,
    // and the dismissal of the result box.
    void RunEnded();
    void ResultDismissed();

  private:
    // Idle, then Running from the start to the end of the worker, then Reporting until the result
    // box has been dismissed. Ended lies between the last two when the run ends while the stop
    // question is open: the result comes once the question has gone.
    enum class Phase { Idle, Running, Ended, Reporting };

    void ReadFamily();
    void TakeFile(const ChosenFile& chosen);
    void UpdateStartButton();
    void RunWorker();
    void Report();

    UpdateView& view;
    Setup setup;
    std::string filePath;
    std::string portName;
    // Where portName came from when the registry gave it ("the registry's ParentPort"), for the
    // boxes that name the port; empty when the command line gave it.
    std::string portOrigin;
    uint32_t baudRate = platform::DefaultBaudRate;
    std::string modelCode;
    bool chosenFileOpens = true;
    Phase phase = Phase::Idle;
    // The operator chose to close: the dialog ends when the result has been dismissed.
    bool closing = false;
    // The stop question is open.
    bool asking = false;
    // The running update's, kept for its result box: the controls may have changed since.
    UploadJob job;
    StopRequest stop;
    // Written by the worker, read once it has been joined.
    UploadOutcome outcome;
    std::thread worker;
};

}  // namespace corvane
