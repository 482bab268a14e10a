// The Win32 window in this process, driven as an operator would through its controls' messages,
// against virtual modules on COM ports (run-window-test.sh). Boxes are found among the dialog
// thread's windows, read and answered.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <future>
#include <string>
#include <thread>

#include "app/core/MainDialogIds.h"
#include "app/win32/ProgramNotice.h"
#include "app/win32/Win32UpdateDialog.h"
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

bool WaitUntil(const std::function<bool()>& condition) {
    for (auto deadline = std::chrono::steady_clock::now() + 20s;
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
