#pragma once

#include <functional>
#include <optional>
#include <string>

#include "app/core/UpdateController.h"
#include "app/core/UpdateView.h"
#include "platform/registry/Registry.h"

// After the registry's names, which <windows.h> would take for its macros.
#include <windows.h>

namespace corvane {

// What the dialog works with, from outside. The file chooser is the common file dialog in the
// program; a test hands in one that names its file without asking anybody.
struct Win32DialogServices {
    const platform::Registry& registry;
    UpdateController::Procedure procedure;
    std::function<std::optional<ChosenFile>(HWND owner)> chooseFile;
    // Why the registry export could not be read, shown with the settings warning.
    std::string registryProblem = {};
    // The parameter file named on the command line (UTF-8), taken when the dialog opens.
    std::string givenFile = {};
    // --port and --baud of the command line.
    UpdateController::GivenSettings givenSettings = {};
};

// The tool's one window drawn by Win32 from dialog template 102 of the program's resources: the
// controls shown and read for an UpdateController, which holds the rules. The update's thread
// reaches the dialog only through posted messages.
class Win32UpdateDialog : private UpdateView {
  public:
    explicit Win32UpdateDialog(const Win32DialogServices& services);

    // Runs the dialog modally until it ends; its result, or -1 when it could not be made.
    INT_PTR Run(HINSTANCE instance);

  private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
    BOOL Initialise();
    void Command(int id, int notification);
    void CenterWindow();
    void ShowPathTip(std::wstring path);

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

    Win32DialogServices services;
    HINSTANCE instance = nullptr;
    HWND dialog = nullptr;
    // The name box's tooltip with the chosen file's path; made with the first file.
    HWND pathTip = nullptr;
    int waitCursors = 0;
    HCURSOR cursorBeforeWait = nullptr;
    // Its destructor stops and waits for a running update while the dialog's window is gone:
    // the update's last posted messages then go nowhere, which PostMessage allows.
    UpdateController controller;
};

}  // namespace corvane
