#pragma once

#include <QDialog>
#include <string>

#include "app/DialogBuilder.h"
#include "app/DialogTemplate.h"
#include "app/FileChooser.h"
#include "app/MessagePresenter.h"
#include "app/core/MainDialogIds.h"
#include "app/core/UpdateController.h"
#include "app/core/UpdateView.h"
#include "platform/registry/Registry.h"

class QButtonGroup;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace corvane {

// What the dialog works with, from outside.
struct DialogServices {
    const platform::Registry& registry;
    FileChooser& files;
    MessagePresenter& messages;
    UpdateController::Procedure procedure;
    // Why the registry export could not be read, shown with the settings warning; empty when it
    // was read.
    std::string registryProblem = {};
    // The parameter file named on the command line (UTF-8), taken when the dialog opens.
    std::string givenFile = {};
    // --port and --baud of the command line.
    UpdateController::GivenSettings givenSettings = {};
};

// The tool's one window drawn by Qt: the controls of the dialog template, shown and read for an
// UpdateController, which holds the rules. The update's progress and end arrive from its thread as
// queued signals.
class UpdateDialog : public QDialog, private UpdateView {
    Q_OBJECT

  public:
    explicit UpdateDialog(const DialogServices& services,
                          const DialogTemplate& dialogTemplate = DialogTemplate::Load(MainDialogId),
                          QWidget* parent = nullptr);
    ~UpdateDialog() override;

    // The first showing initialises the dialog before it appears.
    void setVisible(bool visible) override;
    // Escape: the same as closing.
    void reject() override;

  signals:
    void ProgressPosted(int position, int range);
    void RunEndedPosted();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    int CheckedFamily() const override;
    void CheckFamily(int index) override;
    std::optional<ChosenFile> ChooseFile() override;
    void ShowFile(const std::string& name, const std::string& date,
                  const std::string& path) override;
    void SetProgress(ProgressScale progress) override;
    void EnableStart(bool enabled) override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;
    void ShowBox(const Message& message) override;
    bool Ask(const Message& message) override;
    void CloseQuestion() override;
    void ShowResult(const Message& message) override;
    void End() override;
    void PostProgress(ProgressScale progress) override;
    void PostRunEnded() override;

    // False when the template lacks one of the controls the dialog works with.
    bool BindControls();
    void CenterWindow();

    DialogServices services;
    DialogControls controls;
    QPushButton* selectFileButton = nullptr;
    QLineEdit* fileNameBox = nullptr;
    QLineEdit* fileDateBox = nullptr;
    QProgressBar* progressBar = nullptr;
    QPushButton* startButton = nullptr;
    QButtonGroup* moduleTypes = nullptr;
    bool bound = false;
    bool initialised = false;
    bool ending = false;
    // Its destructor stops and waits for a running update, while the dialog and its controls,
    // which the update reports to, are still there.
    UpdateController controller;
};

}  // namespace corvane
