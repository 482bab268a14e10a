#pragma once

#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "app/core/StationController.h"
#include "app/core/StationView.h"

// After the registry's names, which <windows.h> would take for its macros.
#include <windows.h>

#include <commctrl.h>

namespace corvane {

// What the station works with, from outside. The file choosers are the common file dialogs in
// the program; a test hands in ones that name their files without asking anybody.
struct Win32StationServices {
    StationController::Setup setup;
    std::function<std::optional<ChosenFile>(HWND owner)> chooseFile;
    std::function<std::optional<ChosenFile>(HWND owner, const std::string& current)>
        chooseRecordFile;
};

// The station drawn by Win32 from dialog template 103 of the program's resources: the set-up
// controls, a report-mode list with one row per port and a drawn progress column, the commands
// and the counters, shown and read for a StationController, which holds the rules. The runs'
// threads reach the window only through Post.
class Win32StationWindow : private StationView {
  public:
    explicit Win32StationWindow(Win32StationServices services);

    // Runs the window modally until it ends; its result, or -1 when it could not be made.
    INT_PTR Run(HINSTANCE instance);

  private:
    // Where a control goes when the window is resized: its edges that follow the right and the
    // bottom edge.
    struct Anchor {
        int id;
        bool moveX, growX, moveY, growY;
        RECT start;  // in client coordinates, at the template's size
    };

    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
    BOOL Initialise();
    void MakeColumns();
    void MakeTips();
    void Command(int id, int notification);
    // A WM_NOTIFY's answer, or nothing for the system's default.
    std::optional<LRESULT> Notify(const NMHDR& header);
    LRESULT CustomDraw(NMLVCUSTOMDRAW& draw);
    void DrawProgress(const NMLVCUSTOMDRAW& draw, const StationRow& row);
    void Resize(int width, int height);
    void RunPostedTasks();
    void EnablePortText();
    void ShowTip(int id, const std::string& text);

    int CheckedFamily() const override;
    void CheckFamily(int index) override;
    PortChoiceText ChosenPorts() const override;
    void ShowPortChoice(const PortChoiceText& choice) override;
    std::optional<ChosenFile> ChooseFile() override;
    std::optional<ChosenFile> ChooseRecordFile(const std::string& current) override;
    void ShowFile(const std::string& name, const std::string& date,
                  const std::string& path) override;
    void ShowRecordFile(const std::string& name, const std::string& path) override;
    void ShowRow(size_t index, const StationRow& row) override;
    void ShowCounts(const StationCounts& counts) override;
    void ShowControls(const StationControls& controls) override;
    std::optional<size_t> SelectedRow() const override;
    void ShowBox(const Message& message) override;
    bool Ask(const Message& message) override;
    void StartLooking(unsigned milliseconds) override;
    void StopLooking() override;
    void End() override;
    void Post(std::function<void()> task) override;

    Win32StationServices services;
    HINSTANCE instance = nullptr;
    HWND dialog = nullptr;
    HWND list = nullptr;
    HWND tips = nullptr;
    SIZE startClient{};
    SIZE minimumWindow{};
    std::vector<Anchor> anchors;
    // What each row shows, for its drawing and its tip.
    std::vector<StationRow> rows;
    bool settingsEnabled = true;

    // Posted tasks, taken one at a time on the window's thread. Before the controller: its
    // destructor waits for the runs, which may still post.
    std::mutex taskMutex;
    std::deque<std::function<void()>> tasks;
    HWND taskWindow = nullptr;
    StationController controller;
};

}  // namespace corvane
