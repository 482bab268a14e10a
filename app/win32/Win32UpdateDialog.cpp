#include "app/win32/Win32UpdateDialog.h"

#include <commctrl.h>

#include <string_view>

#include "app/core/MainDialogIds.h"
#include "app/win32/MessageBoxFor.h"

namespace corvane {
namespace {

// From the update's thread: wParam the position, lParam the range.
constexpr UINT ProgressMessage = WM_APP + 1;
constexpr UINT RunEndedMessage = WM_APP + 2;

constexpr int IconId = 128;

}  // namespace

Win32UpdateDialog::Win32UpdateDialog(const Win32DialogServices& services)
    : services(services),
      controller(*this, {.registry = services.registry,
                         .registryProblem = services.registryProblem,
                         .procedure = services.procedure,
                         .givenFile = services.givenFile,
                         .givenSettings = services.givenSettings}) {}

INT_PTR Win32UpdateDialog::Run(HINSTANCE module) {
    instance = module;
    const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX),
                                       ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
    InitCommonControlsEx(&classes);
    return DialogBoxParamW(instance, MAKEINTRESOURCEW(MainDialogId), nullptr, DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK Win32UpdateDialog::DialogProc(HWND window, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<Win32UpdateDialog*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        self->dialog = window;
        return self->Initialise();
    }
    auto* self = reinterpret_cast<Win32UpdateDialog*>(GetWindowLongPtrW(window, DWLP_USER));
    return self ? self->Handle(message, wParam, lParam) : FALSE;
}

INT_PTR Win32UpdateDialog::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            Command(LOWORD(wParam), HIWORD(wParam));
            return TRUE;
        case WM_CLOSE:
            controller.CloseRequested();
            return TRUE;
        case ProgressMessage:
            SetProgress({static_cast<uint16_t>(wParam), static_cast<uint16_t>(lParam)});
            return TRUE;
        case RunEndedMessage:
            controller.RunEnded();
            return TRUE;
        case WM_SETCURSOR:
            if (waitCursors > 0) {
                SetCursor(LoadCursorW(nullptr, IDC_WAIT));
                SetWindowLongPtrW(dialog, DWLP_MSGRESULT, TRUE);
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

BOOL Win32UpdateDialog::Initialise() {
    const auto icon = reinterpret_cast<LPARAM>(LoadIconW(instance, MAKEINTRESOURCEW(IconId)));
    SendMessageW(dialog, WM_SETICON, ICON_BIG, icon);
    SendMessageW(dialog, WM_SETICON, ICON_SMALL, icon);
    CenterWindow();
    // True gives the input focus to the first tab stop.
    return controller.Open() ? TRUE : FALSE;
}

void Win32UpdateDialog::Command(int id, int notification) {
    // The buttons' clicks; the edit boxes' notifications change nothing.
    if (notification != BN_CLICKED) {
        return;
    }
    switch (id) {
        case SelectFileId:
            controller.SelectFile();
            break;
        case StartUpdateId:
            controller.StartUpdate();
            break;
        case FirstModuleTypeId:
        case FirstModuleTypeId + 1:
            controller.FamilyClicked();
            break;
        // Escape, and the caption's OK where the system draws one.
        case IDCANCEL:
        case IDOK:
            controller.CloseRequested();
            break;
        default:
            break;
    }
}

void Win32UpdateDialog::CenterWindow() {
    RECT area{};
    const HWND owner = GetWindow(dialog, GW_OWNER);
    if (owner) {
        GetWindowRect(owner, &area);
    } else {
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    }
    RECT own{};
    GetWindowRect(dialog, &own);
    const int width = own.right - own.left;
    const int height = own.bottom - own.top;
    SetWindowPos(dialog, nullptr, area.left + (area.right - area.left - width) / 2,
                 area.top + (area.bottom - area.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int Win32UpdateDialog::CheckedFamily() const {
    if (IsDlgButtonChecked(dialog, FirstModuleTypeId) == BST_CHECKED) {
        return 0;
    }
    if (IsDlgButtonChecked(dialog, FirstModuleTypeId + 1) == BST_CHECKED) {
        return 1;
    }
    return -1;
}

void Win32UpdateDialog::CheckFamily(int index) {
    for (int i = 0; i < 2; ++i) {
        CheckDlgButton(dialog, FirstModuleTypeId + i, i == index ? BST_CHECKED : BST_UNCHECKED);
    }
}

std::optional<ChosenFile> Win32UpdateDialog::ChooseFile() {
    return services.chooseFile(dialog);
}

void Win32UpdateDialog::ShowFile(const std::string& name, const std::string& date,
                                 const std::string& path) {
    SetDlgItemTextW(dialog, FileNameBoxId, Wide(name).c_str());
    SetDlgItemTextW(dialog, FileDateBoxId, Wide(date).c_str());
    ShowPathTip(Wide(path));
}

void Win32UpdateDialog::ShowPathTip(std::wstring path) {
    // The box shows the name only; the whole path is there on pointing at it.
    const HWND nameBox = GetDlgItem(dialog, FileNameBoxId);
    TTTOOLINFOW tool{};
    // The size that common controls 5, which the program gets without a manifest, accept.
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = dialog;
    tool.uId = reinterpret_cast<UINT_PTR>(nameBox);
    tool.lpszText = path.data();
    if (!pathTip) {
        pathTip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0,
                                  dialog, nullptr, instance, nullptr);
        SendMessageW(pathTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    } else {
        SendMessageW(pathTip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void Win32UpdateDialog::SetProgress(ProgressScale progress) {
    SendDlgItemMessageW(dialog, ProgressBarId, PBM_SETRANGE, 0, MAKELPARAM(0, progress.range));
    // The control stops a position beyond the range at its end.
    SendDlgItemMessageW(dialog, ProgressBarId, PBM_SETPOS, progress.position, 0);
}

void Win32UpdateDialog::EnableStart(bool enabled) {
    EnableWindow(GetDlgItem(dialog, StartUpdateId), enabled ? TRUE : FALSE);
}

void Win32UpdateDialog::BeginWaitCursor() {
    if (waitCursors++ == 0) {
        cursorBeforeWait = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    }
}

void Win32UpdateDialog::EndWaitCursor() {
    if (waitCursors > 0 && --waitCursors == 0) {
        SetCursor(cursorBeforeWait);
    }
}

void Win32UpdateDialog::ShowBox(const Message& message) {
    MessageBoxFor(dialog, message, MB_OK);
}

bool Win32UpdateDialog::Ask(const Message& message) {
    return MessageBoxFor(dialog, message, MB_YESNO | MB_DEFBUTTON2) == IDYES;
}

void Win32UpdateDialog::CloseQuestion() {
    // The question is the message box that the dialog owns; the result boxes have no owner.
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM owner) {
            wchar_t kind[8] = L"";
            GetClassNameW(window, kind, 8);
            if (GetWindow(window, GW_OWNER) == reinterpret_cast<HWND>(owner) &&
                std::wstring_view(kind) == L"#32770") {
                EndDialog(window, IDNO);
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(dialog));
}

void Win32UpdateDialog::ShowResult(const Message& message) {
    // No owner: the dialog stays usable while the result is open.
    MessageBoxFor(nullptr, message, MB_OK);
    controller.ResultDismissed();
}

void Win32UpdateDialog::End() {
    EndDialog(dialog, IDOK);
}

void Win32UpdateDialog::PostProgress(ProgressScale progress) {
    PostMessageW(dialog, ProgressMessage, progress.position, progress.range);
}

void Win32UpdateDialog::PostRunEnded() {
    PostMessageW(dialog, RunEndedMessage, 0, 0);
}

}  // namespace corvane
