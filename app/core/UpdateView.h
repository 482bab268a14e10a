#pragma once

#include <optional>
#include <string>

#include "app/core/Message.h"
#include "upload/ProgressScale.h"

namespace corvane {

// A parameter file as the file dialog gives it back.
struct ChosenFile {
    std::string path;  // full path, UTF-8
    std::string name;  // its last part, extension included
};

// What the window's rules need of a dialog, in the rules' words; each toolkit's dialog
// implements it. Everything but the two Post calls is called on the dialog's thread.
class UpdateView {
  public:
    virtual ~UpdateView() = default;

    // The index of the checked module-family button: 0 for K31, 1 for K47, -1 when neither is.
    virtual int CheckedFamily() const = 0;
    virtual void CheckFamily(int index) = 0;
    // Runs the file-open dialog; nothing when the operator cancelled.
    virtual std::optional<ChosenFile> ChooseFile() = 0;
    // The chosen file's name and date texts; the full path where there is room for it (a tooltip).
    virtual void ShowFile(const std::string& name, const std::string& date,
                          const std::string& path) = 0;
    virtual void SetProgress(ProgressScale progress) = 0;
    virtual void EnableStart(bool enabled) = 0;
    // The wait cursor, in nested pairs.
    virtual void BeginWaitCursor() = 0;
    virtual void EndWaitCursor() = 0;
    // A box owned by the dialog; returns once it has been dismissed.
    virtual void ShowBox(const Message& message) = 0;
    // A Yes/No question owned by the dialog, No the default answer; true for Yes. It waits for
    // the answer while the dialog's thread goes on serving events, so calls may arrive meanwhile.
    virtual bool Ask(const Message& message) = 0;
    // Closes the question that Ask has open, if any, without an answer: Ask then returns false
    // once the call that closed it has returned.
    virtual void CloseQuestion() = 0;
    // A box that leaves the dialog usable. Once the operator has dismissed it, the view calls
    // UpdateController::ResultDismissed on the dialog's thread, before or after this returns.
    virtual void ShowResult(const Message& message) = 0;
    // Ends the dialog.
    virtual void End() = 0;

    // From the update's thread. Neither may wait for the dialog's thread: each queues its event
    // (a queued signal, a posted window message) and returns. The dialog's thread takes them in
    // order: a progress report goes to SetProgress, the end of the run to
    // UpdateController::RunEnded.
    virtual void PostProgress(ProgressScale progress) = 0;
    virtual void PostRunEnded() = 0;
};

}  // namespace corvane
