#pragma once

#include <QDialog>
#include <QIcon>
#include <QString>
#include <cstdint>
#include <string>

#include "app/DialogTemplate.h"
#include "app/FileChooser.h"
#include "app/MessagePresenter.h"
#include "app/UpdateRunner.h"
#include "platform/registry/ConnectionSettings.h"
#include "platform/registry/Registry.h"

class QLineEdit;
class QProgressBar;
class QPushButton;

namespace corvane {

inline constexpr int MainDialogId = 102;

// What the dialog works with that outlives it.
struct DialogServices {
    const platform::Registry& registry;
    FileChooser& files;
    MessagePresenter& messages;
    UpdateRunner& updates;
    // Why the registry export could not be read ("<file>: line 3: ..."), shown with the settings
    // warning; empty when it was read.
    std::string registryProblem = {};
};

// The tool's one window: the settings of the next update, the chosen file's name and date, the
// progress bar and the buttons that choose a file and start an update.
class UpdateDialog : public QDialog {
    Q_OBJECT

  public:
    using CommandHandler = void (UpdateDialog::*)();

    explicit UpdateDialog(const DialogServices& services,
                          const DialogTemplate& dialogTemplate = DialogTemplate::Load(MainDialogId),
                          QWidget* parent = nullptr);
    ~UpdateDialog() override;

    // The first showing initialises the dialog before it appears.
    void setVisible(bool visible) override;

    // Reads the controls into the members (saveAndValidate) or writes the members into them.
    // False when a control is missing.
    bool UpdateData(bool saveAndValidate);
    // Runs before every command: brings ModuleFamily in step with the radio buttons, then runs
    // the command's handler, if it has one. True when it had.
    bool RouteCommand(CommandHandler handler);

    void OnSelectFile();
    void OnStartUpdate();
    // The caption's close: the controls are read into the members and the dialog ends.
    void OnClose();

    QString filePath;
    uint32_t baudRate = platform::DefaultBaudRate;
    QString portName;
    QLineEdit* fileDateBox = nullptr;
    QLineEdit* fileNameBox = nullptr;
    QProgressBar* progressBar = nullptr;
    QPushButton* startButton = nullptr;
    int moduleTypeIndex = 0;
    QIcon appIcon;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    bool OnInitDialog();
    bool DoDataExchange(bool saveAndValidate);
    bool LookupConnectionSettings();
    void CenterWindow();
    // "Start Update" is usable when no update is under way and the last chosen file opened.
    void UpdateStartButton();

    DialogServices services;
    bool initialised = false;
    bool chosenFileOpens = true;
};

}  // namespace corvane
