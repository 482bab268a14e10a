// The Win32 window in this process, driven as an operator would through its controls' messages,
// against virtual modules on COM ports (run-window-test.sh). Boxes are found among the dialog
// thread's windows, read and answered.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <future>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/core/MainDialogIds.h"
#include "app/core/StationDialogIds.h"
#include "app/win32/ProgramNotice.h"
#include "app/win32/Win32StationWindow.h"
#include "app/win32/Win32UpdateDialog.h"
#include "line/LineUpdate.h"
#include "platform/SystemPlatform.h"
#include "platform/registry/MemoryRegistry.h"
#include "platform/registry/RegistryValues.h"

#include <commctrl.h>

namespace corvane {
namespace {

using namespace std::chrono_literals;

std::wstring TextOf(HWND window) {
    wchar_t text[1024] = L"";
    GetWindowTextW(window, text, 1024);
    return text;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    return name;
}

// The first top-level window of the thread that the test accepts, looked for until it appears.
HWND WaitForThreadWindow(DWORD thread, const std::function<bool(HWND)>& wanted,
                         std::chrono::milliseconds patience = 20s) {
    struct Search {
        const std::function<bool(HWND)>& wanted;
        HWND found = nullptr;
    };
    for (auto deadline = std::chrono::steady_clock::now() + patience;;
         std::this_thread::sleep_for(20ms)) {
        Search search{wanted};
        EnumThreadWindows(
            thread,
            [](HWND window, LPARAM context) {
                auto* search = reinterpret_cast<Search*>(context);
                if (search->wanted(window)) {
                    search->found = window;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        if (search.found || std::chrono::steady_clock::now() >= deadline) {
            return search.found;
        }
    }
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::seconds patience = 20s) {
    for (auto deadline = std::chrono::steady_clock::now() + patience;
         std::chrono::steady_clock::now() < deadline; std::this_thread::sleep_for(20ms)) {
        if (condition()) {
            return true;
        }
    }
    return false;
}

// A message box's text: its one static control with words in it.
std::wstring BoxText(HWND box) {
    std::wstring text;
    EnumChildWindows(
        box,
        [](HWND child, LPARAM context) {
            if (ClassOf(child) == L"Static" && !TextOf(child).empty()) {
                *reinterpret_cast<std::wstring*>(context) = TextOf(child);
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&text));
    return text;
}

// The dialog on a thread of its own, its file chosen without the common dialog: the "..."
// button asks the chooser, which names the sample.
class RunningDialog {
  public:
    explicit RunningDialog(const char* port) {
        registry.SetValue("HKLM", "Drivers\\BuiltIn\\Multiplexer", "ParentPort",
                          platform::TextValue(std::u16string(port, port + strlen(port))));
        registry.SetValue("HKLM", "Software\\Microsoft\\RIL", "BaudRate",
                          platform::NumberValue(115200));
        std::promise<DWORD> started;
        threadId = started.get_future();
        thread = std::thread([this, &started] {
            started.set_value(GetCurrentThreadId());
            Win32UpdateDialog dialog(
                {.registry = registry,
                 .procedure = UpdateController::ModuleProcedure(system.Get()),
                 .chooseFile = [](HWND) {
                     return ChosenFile{CORVANE_SAMPLES_DIR "/k31-audio.prm", "k31-audio.prm"};
                 }});
            result = dialog.Run(GetModuleHandleW(nullptr));
        });
        dialogThread = threadId.get();
        window = WaitForThreadWindow(
            dialogThread, [](HWND window) { return TextOf(window) == L"VARNEL WM Update v2.1"; });
    }
    // After a failure the dialog may still run, even under a box: closed with Yes to whatever
    // is asked, so that the next test starts alone.
    ~RunningDialog() {
        if (!thread.joinable()) {
            return;
        }
        PostMessageW(window, WM_CLOSE, 0, 0);
        for (int i = 0; i < 100 && IsWindow(window); ++i) {
            if (const HWND box = FindBox()) {
                PostMessageW(box, WM_COMMAND, IDYES, 0);
                PostMessageW(box, WM_COMMAND, IDOK, 0);
            }
            std::this_thread::sleep_for(100ms);
        }
        if (IsWindow(window)) {
            ADD_FAILURE() << "the dialog did not end";
            std::_Exit(1);
        }
        thread.join();
    }

    HWND Control(int id) const { return GetDlgItem(window, id); }
    int Progress() const {
        return static_cast<int>(SendMessageW(Control(ProgressBarId), PBM_GETPOS, 0, 0));
    }
    std::wstring PathTip() const {
        const HWND tip = WaitForThreadWindow(
            dialogThread, [](HWND w) { return ClassOf(w) == TOOLTIPS_CLASSW; }, 0s);
        wchar_t text[MAX_PATH] = L"";
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = window;
        tool.uId = reinterpret_cast<UINT_PTR>(Control(FileNameBoxId));
        tool.lpszText = text;
        SendMessageW(tip, TTM_GETTEXTW, MAX_PATH, reinterpret_cast<LPARAM>(&tool));
        return text;
    }
    // A box of the dialog's thread: any dialog-class window but the dialog itself.
    HWND WaitForBox() const { return WaitForThreadWindow(dialogThread, IsBox(), 20s); }
    HWND FindBox() const { return WaitForThreadWindow(dialogThread, IsBox(), 0s); }
    bool Ended() {
        if (!WaitUntil([this] { return !IsWindow(window); })) {
            return false;
        }
        thread.join();
        return true;
    }

    HWND window = nullptr;
    INT_PTR result = 0;

  private:
    std::function<bool(HWND)> IsBox() const {
        return [this](HWND candidate) {
            return candidate != window && IsWindowVisible(candidate) &&
                   ClassOf(candidate) == L"#32770";
        };
    }

    platform::MemoryRegistry registry;
    platform::SystemPlatform system;
    std::future<DWORD> threadId;
    DWORD dialogThread = 0;
    std::thread thread;
};

TEST(Win32Window, OpensChoosesAFileAndReportsAWholeUpdate) {
    RunningDialog dialog(std::getenv("CORVANE_PORT_QUICK"));
    ASSERT_NE(dialog.window, nullptr) << "no dialog; is there a display?";
    EXPECT_EQ(IsDlgButtonChecked(dialog.window, FirstModuleTypeId), BST_CHECKED);
    EXPECT_EQ(TextOf(dialog.Control(FileNameBoxId)), L"");
    EXPECT_EQ(dialog.Progress(), 0);

    SendMessageW(dialog.Control(SelectFileId), BM_CLICK, 0, 0);
    EXPECT_EQ(TextOf(dialog.Control(FileNameBoxId)), L"k31-audio");
    EXPECT_EQ(TextOf(dialog.Control(FileDateBoxId)).rfind(L"File Date: ", 0), 0u);
    EXPECT_EQ(dialog.PathTip(), L"" CORVANE_SAMPLES_DIR "/k31-audio.prm");

    SendMessageW(dialog.Control(StartUpdateId), BM_CLICK, 0, 0);
    const HWND result = dialog.WaitForBox();
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(BoxText(result),
              L"Audio Parameter Update successfull\r\nk31-audio.prm, Series K31 modules");
    EXPECT_EQ(TextOf(result), L"Audio Parameter Update");
    EXPECT_EQ(dialog.Progress(), 100);
    // The dialog stays usable under the result, but starts nothing until it has been dismissed.
    EXPECT_TRUE(IsWindowEnabled(dialog.window));
    EXPECT_FALSE(IsWindowEnabled(dialog.Control(StartUpdateId)));
    PostMessageW(result, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(dialog.Control(StartUpdateId)) != 0; }));

    PostMessageW(dialog.window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(dialog.Ended());
    EXPECT_EQ(dialog.result, IDOK);
}

// Starts an update of the sample and closes the window once its first block is in; the question
// that this asks, or null.
HWND CloseDuringAnUpdate(const RunningDialog& dialog) {
    SendMessageW(dialog.Control(SelectFileId), BM_CLICK, 0, 0);
    SendMessageW(dialog.Control(StartUpdateId), BM_CLICK, 0, 0);
    if (!WaitUntil([&] { return dialog.Progress() > 0; })) {
        return nullptr;
    }
    PostMessageW(dialog.window, WM_CLOSE, 0, 0);
    const HWND question = dialog.WaitForBox();
    if (question) {
        EXPECT_EQ(BoxText(question), L"An update is running. Stop it after the current block?");
    }
    return question;
}

TEST(Win32Window, ClosingDuringAnUpdateAsksThenStopsAndEndsAfterTheResult) {
    RunningDialog dialog(std::getenv("CORVANE_PORT_SLOW"));
    ASSERT_NE(dialog.window, nullptr);
    const HWND question = CloseDuringAnUpdate(dialog);
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(GetWindowLongW(GetDlgItem(question, IDNO), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON)
        << "Enter keeps it running";
    PostMessageW(question, WM_COMMAND, IDYES, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(question); }));

    const HWND result = dialog.WaitForBox();
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(BoxText(result).rfind(L"Audio Parameter Update stopped!", 0), 0u) << BoxText(result);
    EXPECT_TRUE(IsWindow(dialog.window)) << "the dialog ended before its result was read";
    PostMessageW(result, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(dialog.Ended());
}

TEST(Win32Window, ARunEndingUnderTheStopQuestionClosesItAndItsResultCanBeDismissed) {
    RunningDialog dialog(std::getenv("CORVANE_PORT_SLOW"));
    ASSERT_NE(dialog.window, nullptr);
    const HWND question = CloseDuringAnUpdate(dialog);
    ASSERT_NE(question, nullptr);
    // Left unanswered until the run has written its last block.
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(question); })) << "the question stayed open";
    const HWND result = dialog.WaitForBox();
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(BoxText(result).rfind(L"Audio Parameter Update successfull", 0), 0u)
        << BoxText(result);
    // The operator had asked to close: the dialog ends once the result has been read.
    PostMessageW(result, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(dialog.Ended());
}

// The station on a thread of its own, with a list of ports and the sample given as on its
// command line.
class RunningStation {
  public:
    RunningStation(const std::string& ports, const std::string& record) {
        std::promise<DWORD> started;
        std::future<DWORD> threadId = started.get_future();
        thread = std::thread([this, &started, ports, record] {
            started.set_value(GetCurrentThreadId());
            Win32StationWindow station(
                {.setup = {.procedure = line::RunLineUpdate,
                           .recordPath = record,
                           .givenFile = CORVANE_SAMPLES_DIR "/k31-audio.prm",
                           .givenPorts = {PortChoiceText::Kind::List, ports}},
                 .chooseFile = [](HWND) { return std::optional<ChosenFile>(); },
                 .chooseRecordFile =
                     [](HWND, const std::string&) { return std::optional<ChosenFile>(); }});
            station.Run(GetModuleHandleW(nullptr));
        });
        window = WaitForThreadWindow(
            threadId.get(), [](HWND window) { return TextOf(window) == L"Corvane station"; });
    }
    ~RunningStation() {
        if (IsWindow(window)) {
            PostMessageW(window, WM_CLOSE, 0, 0);
        }
        if (!WaitUntil([this] { return !IsWindow(window); }, 60s)) {
            ADD_FAILURE() << "the station did not end";
            std::_Exit(1);
        }
        thread.join();
    }

    HWND Control(int id) const { return GetDlgItem(window, id); }
    std::wstring Cell(int row, int column) const {
        wchar_t text[512] = L"";
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = 512;
        SendMessageW(Control(StationListId), LVM_GETITEMTEXTW, row,
                     reinterpret_cast<LPARAM>(&item));
        return text;
    }
    int Rows() const {
        return static_cast<int>(SendMessageW(Control(StationListId), LVM_GETITEMCOUNT, 0, 0));
    }
    // What the row's tip says, asked as the list asks its window.
    std::wstring Tip(int row) const {
        wchar_t text[1024] = L"";
        NMLVGETINFOTIPW tip{};
        tip.hdr = {Control(StationListId), static_cast<UINT_PTR>(StationListId), LVN_GETINFOTIPW};
        tip.pszText = text;
        tip.cchTextMax = 1024;
        tip.iItem = row;
        SendMessageW(window, WM_NOTIFY, StationListId, reinterpret_cast<LPARAM>(&tip));
        return text;
    }
    // The colour the list draws at the middle of the row's result cell.
    COLORREF ResultColour(int row) const {
        RECT cell{};
        cell.top = 4;
        cell.left = LVIR_BOUNDS;
        SendMessageW(Control(StationListId), LVM_GETSUBITEMRECT, row,
                     reinterpret_cast<LPARAM>(&cell));
        const HDC dc = GetDC(Control(StationListId));
        // Left of its words, where only the background is.
        const COLORREF colour = GetPixel(dc, cell.left + 2, (cell.top + cell.bottom) / 2);
        ReleaseDC(Control(StationListId), dc);
        return colour;
    }

    HWND window = nullptr;

  private:
    std::thread thread;
};

std::vector<std::wstring> PortNamesOf(const std::string& text) {
    std::vector<std::wstring> names;
    std::istringstream words(text);
    for (std::string word; words >> word;) {
        names.emplace_back(word.begin(), word.end());
    }
    return names;
}

// Each line's port and result code.
std::map<std::wstring, int> RecordResults(const std::string& path) {
    std::map<std::wstring, int> results;
    std::ifstream record(path);
    const std::regex port("\"port\":\"([^\"]*)\"");
    const std::regex result("\"result\":(-?[0-9]+)");
    for (std::string line; std::getline(record, line);) {
        std::smatch portFound;
        std::smatch resultFound;
        if (std::regex_search(line, portFound, port) &&
            std::regex_search(line, resultFound, result)) {
            const std::string name = portFound[1];
            results[std::wstring(name.begin(), name.end())] = std::stoi(resultFound[1]);
        } else {
            results[L"unread line"] = -1;
        }
    }
    return results;
}

TEST(Win32Station, UpdatesEveryPortAtOnceAndShowsEachResultInRowsCountersAndTheRecord) {
    const std::vector<std::wstring> ports = PortNamesOf(std::getenv("CORVANE_STATION_PORTS"));
    const std::wstring faulty = PortNamesOf(std::getenv("CORVANE_STATION_FAULTY"))[0];
    const std::string record = std::getenv("CORVANE_STATION_RECORD");
    RunningStation station(std::getenv("CORVANE_STATION_PORTS"), record);
    ASSERT_NE(station.window, nullptr) << "no station; is there a display?";
    EXPECT_EQ(TextOf(station.Control(StationFileNameBoxId)), L"k31-audio");
    EXPECT_EQ(TextOf(station.Control(StationCountsId)), L"0 written, 0 failed, 0 running");
    EXPECT_FALSE(IsWindowEnabled(station.Control(StationStopId)));

    SendMessageW(station.Control(StationStartAllId), BM_CLICK, 0, 0);
    ASSERT_EQ(station.Rows(), static_cast<int>(ports.size()));
    EXPECT_FALSE(IsWindowEnabled(station.Control(StationStartAllId)));
    EXPECT_TRUE(IsWindowEnabled(station.Control(StationStopId)));
    const std::wstring done = std::to_wstring(ports.size() - 1) + L" written, 1 failed, 0 running";
    EXPECT_TRUE(WaitUntil([&] { return TextOf(station.Control(StationCountsId)) == done; }, 50s))
        << "counters: " << TextOf(station.Control(StationCountsId));

    const std::map<std::wstring, int> recorded = RecordResults(record);
    EXPECT_EQ(recorded.size(), ports.size());
    for (int row = 0; row < station.Rows(); ++row) {
        const std::wstring port = station.Cell(row, 0);
        EXPECT_EQ(port, ports[row]) << "rows in port order";
        const std::wstring result = station.Cell(row, 4);
        const auto inRecord = recorded.find(port);
        ASSERT_NE(inRecord, recorded.end()) << port << " is not in the record";
        if (port == faulty) {
            EXPECT_EQ(result.rfind(L"failed: " + std::to_wstring(inRecord->second) + L" ", 0), 0u)
                << result;
            EXPECT_NE(inRecord->second, 0);
            EXPECT_EQ(station.ResultColour(row), RGB(255, 199, 206));
            EXPECT_FALSE(station.Tip(row).empty()) << "the failure's detail";
        } else {
            EXPECT_EQ(result.rfind(L"written in ", 0), 0u) << port << ": " << result;
            EXPECT_EQ(inRecord->second, 0) << port;
            EXPECT_EQ(station.Cell(row, 3), L"100 %");
            EXPECT_EQ(station.ResultColour(row), RGB(198, 239, 206));
        }
    }
    EXPECT_TRUE(IsWindowEnabled(station.Control(StationStartAllId)));
    EXPECT_FALSE(IsWindowEnabled(station.Control(StationStopId)));

    // On a larger screen the list takes what the window grows by; the commands keep to the
    // bottom.
    const auto placeOf = [&](int id) {
        RECT place{};
        GetWindowRect(station.Control(id), &place);
        return place;
    };
    const RECT list = placeOf(StationListId);
    const RECT start = placeOf(StationStartAllId);
    RECT window{};
    GetWindowRect(station.window, &window);
    SetWindowPos(station.window, nullptr, 0, 0, window.right - window.left + 200,
                 window.bottom - window.top + 100, SWP_NOMOVE | SWP_NOZORDER);
    const RECT grown = placeOf(StationListId);
    EXPECT_EQ(grown.right - grown.left, list.right - list.left + 200);
    EXPECT_EQ(grown.bottom - grown.top, list.bottom - list.top + 100);
    EXPECT_EQ(placeOf(StationStartAllId).top - start.top, 100);
}

// The runner plugs the module in once the test asks for it.
TEST(Win32Station, WatchUpdatesAModuleOnceItIsPluggedInUntilTurnedOff) {
    const std::string record = std::getenv("CORVANE_STATION_RECORD") + std::string("-watch");
    RunningStation station(std::getenv("CORVANE_WATCH_PORT"), record);
    ASSERT_NE(station.window, nullptr);
    SendMessageW(station.Control(StationWatchId), BM_CLICK, 0, 0);
    EXPECT_EQ(IsDlgButtonChecked(station.window, StationWatchId), BST_CHECKED);
    EXPECT_FALSE(IsWindowEnabled(station.Control(StationStartAllId)));
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(station.Rows(), 0) << "a port with nothing behind it was taken";

    std::ofstream(std::getenv("CORVANE_WATCH_PLUG_IN")) << "now\n";
    EXPECT_TRUE(WaitUntil([&] {
        return TextOf(station.Control(StationCountsId)) == L"1 written, 0 failed, 0 running";
    })) << TextOf(station.Control(StationCountsId));
    EXPECT_EQ(IsDlgButtonChecked(station.window, StationWatchId), BST_CHECKED) << "still watching";
    EXPECT_EQ(RecordResults(record).size(), 1u);

    SendMessageW(station.Control(StationWatchId), BM_CLICK, 0, 0);
    EXPECT_EQ(IsDlgButtonChecked(station.window, StationWatchId), BST_UNCHECKED);
    EXPECT_TRUE(IsWindowEnabled(station.Control(StationStartAllId)));
}

TEST(Win32Window, NoticeGoesToTheStandardHandleElseIntoABox) {
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    HANDLE pipeEnd = nullptr;
    HANDLE writeEnd = nullptr;
    ASSERT_TRUE(CreatePipe(&pipeEnd, &writeEnd, nullptr, 0));
    SetStdHandle(STD_OUTPUT_HANDLE, writeEnd);
    ShowNotice(Notice::Output, "Corvane 2.2.0");
    SetStdHandle(STD_OUTPUT_HANDLE, output);
    CloseHandle(writeEnd);
    char read[64] = {};
    DWORD count = 0;
    ReadFile(pipeEnd, read, sizeof read - 1, &count, nullptr);
    CloseHandle(pipeEnd);
    EXPECT_STREQ(read, "Corvane 2.2.0\r\n");

    // Started from Explorer, the program has no standard handles.
    SetStdHandle(STD_OUTPUT_HANDLE, nullptr);
    std::promise<DWORD> started;
    std::thread notice([&started] {
        started.set_value(GetCurrentThreadId());
        ShowNotice(Notice::Output, "Corvane 2.2.0");
    });
    const HWND box = WaitForThreadWindow(started.get_future().get(), [](HWND window) {
        return IsWindowVisible(window) && ClassOf(window) == L"#32770";
    });
    SetStdHandle(STD_OUTPUT_HANDLE, output);
    EXPECT_NE(box, nullptr);
    EXPECT_EQ(TextOf(box), L"Corvane");
    EXPECT_EQ(BoxText(box), L"Corvane 2.2.0");
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    notice.join();
}

}  // namespace
}  // namespace corvane
