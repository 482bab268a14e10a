#include "app/win32/Win32StationWindow.h"

#include <algorithm>
#include <array>

#include "app/core/StationDialogIds.h"
#include "app/win32/MessageBoxFor.h"
#include "platform/win32/WideText.h"

namespace corvane {
namespace {

using platform::win32::Utf8FromWide;

// A task was posted: the window's thread takes the queue's next ones.
constexpr UINT TaskMessage = WM_APP + 1;
constexpr UINT_PTR LookTimerId = 1;
constexpr int IconId = 128;
constexpr int RowHeightDialogUnits = 13;

enum Column { PortColumn, SerialColumn, PhaseColumn, ProgressColumn, ResultColumn };

// In the order of PortChoiceText::Kind.
constexpr std::array<const wchar_t*, 3> PortKinds{L"All ports", L"Ports matching", L"These ports"};

struct RowColours {
    COLORREF text;
    COLORREF back;
    COLORREF bar;
};

// A finished row's colours go with its words: green written, red failed, amber stopped.
RowColours ColoursOf(RowState state) {
    switch (state) {
        case RowState::Written:
            return {RGB(0, 97, 0), RGB(198, 239, 206), RGB(99, 190, 123)};
        case RowState::Failed:
            return {RGB(156, 0, 6), RGB(255, 199, 206), RGB(230, 124, 115)};
        case RowState::Stopped:
            return {RGB(156, 87, 0), RGB(255, 235, 156), RGB(247, 203, 77)};
        case RowState::Waiting:
        case RowState::Running:
            break;
    }
    return {GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_WINDOW), RGB(153, 204, 255)};
}

int Percent(ProgressScale progress) {
    return std::min<int>(100, progress.position * 100 / progress.range);
}

// A row that has not begun shows no bar.
bool ShowsProgress(const StationRow& row) {
    return row.state != RowState::Waiting || row.progress.position > 0;
}

void FillWith(HDC dc, const RECT& area, COLORREF colour) {
    const HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &area, brush);
    DeleteObject(brush);
}

}  // namespace

Win32StationWindow::Win32StationWindow(Win32StationServices given)
    : services(std::move(given)), controller(*this, services.setup) {}

INT_PTR Win32StationWindow::Run(HINSTANCE module) {
    instance = module;
    const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX),
                                       ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&classes);
    return DialogBoxParamW(instance, MAKEINTRESOURCEW(StationDialogId), nullptr, DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK Win32StationWindow::DialogProc(HWND window, UINT message, WPARAM wParam,
                                                LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<Win32StationWindow*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        self->dialog = window;
        return self->Initialise();
    }
    auto* self = reinterpret_cast<Win32StationWindow*>(GetWindowLongPtrW(window, DWLP_USER));
    return self ? self->Handle(message, wParam, lParam) : FALSE;
}

INT_PTR Win32StationWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            Command(LOWORD(wParam), HIWORD(wParam));
            return TRUE;
        case WM_NOTIFY:
            if (const std::optional<LRESULT> answer =
                    Notify(*reinterpret_cast<const NMHDR*>(lParam))) {
                SetWindowLongPtrW(dialog, DWLP_MSGRESULT, *answer);
                return TRUE;
            }
            return FALSE;
        case WM_CLOSE:
            controller.CloseRequested();
            return TRUE;
        case WM_SIZE:
            Resize(LOWORD(lParam), HIWORD(lParam));
            return TRUE;
        case WM_GETMINMAXINFO:
            if (minimumWindow.cx > 0) {
                reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {minimumWindow.cx,
                                                                         minimumWindow.cy};
            }
            return TRUE;
        case WM_TIMER:
            if (wParam == LookTimerId) {
                controller.Look();
            }
            return TRUE;
        case TaskMessage:
            RunPostedTasks();
            return TRUE;
        case WM_DESTROY: {
            const std::lock_guard lock(taskMutex);
            taskWindow = nullptr;
            return FALSE;
        }
        default:
            return FALSE;
    }
}

BOOL Win32StationWindow::Initialise() {
    const auto icon = reinterpret_cast<LPARAM>(LoadIconW(instance, MAKEINTRESOURCEW(IconId)));
    SendMessageW(dialog, WM_SETICON, ICON_BIG, icon);
    SendMessageW(dialog, WM_SETICON, ICON_SMALL, icon);
    list = GetDlgItem(dialog, StationListId);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP | LVS_EX_GRIDLINES | LVS_EX_DOUBLEBUFFER);
    MakeColumns();
    // Rows as tall as a small image list's images: taller than the text, for a line's screen
    // read from a step away. The list destroys the image list with itself.
    RECT rowHeight{0, 0, 0, RowHeightDialogUnits};
    MapDialogRect(dialog, &rowHeight);
    SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL,
                 reinterpret_cast<LPARAM>(ImageList_Create(1, rowHeight.bottom, ILC_COLOR, 1, 0)));
    for (const wchar_t* kind : PortKinds) {
        SendDlgItemMessageW(dialog, StationPortKindId, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(kind));
    }
    MakeTips();

    RECT client{};
    GetClientRect(dialog, &client);
    startClient = {client.right, client.bottom};
    RECT window{};
    GetWindowRect(dialog, &window);
    minimumWindow = {window.right - window.left, window.bottom - window.top};
    // The list takes what the window grows by; the set-up's wide boxes its width; the commands
    // keep to the bottom.
    anchors = {{StationSetupGroupId, false, true, false, false, {}},
               {StationFileDateBoxId, false, true, false, false, {}},
               {StationSelectFileId, true, false, false, false, {}},
               {StationPortTextId, false, true, false, false, {}},
               {StationRecordNameId, false, true, false, false, {}},
               {StationSelectRecordId, true, false, false, false, {}},
               {StationListId, false, true, false, true, {}},
               {StationStartAllId, false, false, true, false, {}},
               {StationWatchId, false, false, true, false, {}},
               {StationStopId, false, false, true, false, {}},
               {StationRetryId, false, false, true, false, {}},
               {StationCountsId, false, true, true, false, {}}};
    for (Anchor& anchor : anchors) {
        const HWND control = GetDlgItem(dialog, anchor.id);
        GetWindowRect(control, &anchor.start);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&anchor.start), 2);
    }
    {
        const std::lock_guard lock(taskMutex);
        taskWindow = dialog;
    }
    controller.Open();
    return TRUE;
}

void Win32StationWindow::MakeColumns() {
    struct ColumnText {
        const wchar_t* title;
        int dialogUnits;
    };
    // The result's column takes the rest of the list's width (Resize).
    constexpr std::array<ColumnText, 5> columns{
        {{L"Port", 40}, {L"USB serial", 56}, {L"Phase", 80}, {L"Progress", 56}, {L"Result", 80}}};
    for (size_t i = 0; i < columns.size(); ++i) {
        RECT width{0, 0, columns[i].dialogUnits, 0};
        MapDialogRect(dialog, &width);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.cx = width.right;
        column.pszText = const_cast<wchar_t*>(columns[i].title);
        column.iSubItem = static_cast<int>(i);
        SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
    SendMessageW(list, LVM_SETCOLUMNWIDTH, ResultColumn, LVSCW_AUTOSIZE_USEHEADER);
}

void Win32StationWindow::MakeTips() {
    // The name boxes show names only; the whole paths are there on pointing at them.
    tips = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0,
                           dialog, nullptr, instance, nullptr);
    for (const int id : {StationFileNameBoxId, StationRecordNameId}) {
        TTTOOLINFOW tool{};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = dialog;
        tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(dialog, id));
        tool.lpszText = const_cast<wchar_t*>(L"");
        SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void Win32StationWindow::ShowTip(int id, const std::string& text) {
    std::wstring wide = Wide(text);
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = dialog;
    tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(dialog, id));
    tool.lpszText = wide.data();
    SendMessageW(tips, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void Win32StationWindow::Command(int id, int notification) {
    if (id == StationPortKindId) {
        if (notification == CBN_SELCHANGE) {
            EnablePortText();
        }
        return;
    }
    // The buttons' clicks; the edit boxes' notifications change nothing.
    if (notification != BN_CLICKED) {
        return;
    }
    switch (id) {
        case StationSelectFileId:
            controller.SelectFile();
            break;
        case StationSelectRecordId:
            controller.SelectRecordFile();
            break;
        case StationStartAllId:
            controller.StartAll();
            break;
        case StationWatchId:
            controller.WatchClicked();
            break;
        case StationStopId:
            controller.StopClicked();
            break;
        case StationRetryId:
            controller.RetryClicked();
            break;
        // Escape; Enter (IDOK) does nothing, so that it cannot end a line's window by chance.
        case IDCANCEL:
            controller.CloseRequested();
            break;
        default:
            break;
    }
}

std::optional<LRESULT> Win32StationWindow::Notify(const NMHDR& header) {
    if (header.hwndFrom != list) {
        return std::nullopt;
    }
    switch (header.code) {
        case NM_CUSTOMDRAW:
            return CustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(const_cast<NMHDR*>(&header)));
        case LVN_GETINFOTIPW: {
            auto& tip = *reinterpret_cast<NMLVGETINFOTIPW*>(const_cast<NMHDR*>(&header));
            const auto index = static_cast<size_t>(tip.iItem);
            if (index < rows.size() && !rows[index].detail.empty() && tip.cchTextMax > 0) {
                const std::wstring detail = Wide(rows[index].detail);
                const size_t length =
                    detail.copy(tip.pszText, static_cast<size_t>(tip.cchTextMax) - 1);
                tip.pszText[length] = L'\0';
            }
            return 0;
        }
        case LVN_ITEMCHANGED: {
            const auto& change = *reinterpret_cast<const NMLISTVIEW*>(&header);
            if ((change.uChanged & LVIF_STATE) != 0 &&
                ((change.uNewState ^ change.uOldState) & LVIS_SELECTED) != 0) {
                controller.SelectionChanged();
            }
            return 0;
        }
        default:
            return std::nullopt;
    }
}

LRESULT Win32StationWindow::CustomDraw(NMLVCUSTOMDRAW& draw) {
    switch (draw.nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
            return CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT:
            return CDRF_NOTIFYSUBITEMDRAW;
        case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
            const auto index = static_cast<size_t>(draw.nmcd.dwItemSpec);
            if (index >= rows.size()) {
                return CDRF_DODEFAULT;
            }
            // Set for every cell: the list keeps what the previous cell was given.
            const RowColours colours = ColoursOf(rows[index].state);
            draw.clrText = colours.text;
            draw.clrTextBk = colours.back;
            if (draw.iSubItem == ProgressColumn) {
                DrawProgress(draw, rows[index]);
                return CDRF_SKIPDEFAULT;
            }
            return CDRF_NEWFONT;
        }
        default:
            return CDRF_DODEFAULT;
    }
}

void Win32StationWindow::DrawProgress(const NMLVCUSTOMDRAW& draw, const StationRow& row) {
    const HDC dc = draw.nmcd.hdc;
    RECT cell{};
    cell.top = ProgressColumn;
    cell.left = LVIR_BOUNDS;
    SendMessageW(list, LVM_GETSUBITEMRECT, draw.nmcd.dwItemSpec, reinterpret_cast<LPARAM>(&cell));
    const RowColours colours = ColoursOf(row.state);
    FillWith(dc, cell, colours.back);
    if (!ShowsProgress(row)) {
        return;
    }
    RECT bar = cell;
    InflateRect(&bar, -4, -3);
    FillWith(dc, bar, RGB(128, 128, 128));
    RECT inside = bar;
    InflateRect(&inside, -1, -1);
    FillWith(dc, inside, GetSysColor(COLOR_WINDOW));
    RECT filled = inside;
    filled.right = inside.left + (inside.right - inside.left) * Percent(row.progress) / 100;
    FillWith(dc, filled, colours.bar);
    const std::wstring percent = std::to_wstring(Percent(row.progress)) + L" %";
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    DrawTextW(dc, percent.c_str(), -1, &bar, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void Win32StationWindow::Resize(int width, int height) {
    if (anchors.empty()) {
        return;
    }
    const int dx = width - startClient.cx;
    const int dy = height - startClient.cy;
    HDWP moves = BeginDeferWindowPos(static_cast<int>(anchors.size()));
    for (const Anchor& anchor : anchors) {
        RECT place = anchor.start;
        if (anchor.moveX) {
            OffsetRect(&place, dx, 0);
        }
        if (anchor.moveY) {
            OffsetRect(&place, 0, dy);
        }
        place.right += anchor.growX ? dx : 0;
        place.bottom += anchor.growY ? dy : 0;
        if (moves) {
            moves = DeferWindowPos(moves, GetDlgItem(dialog, anchor.id), nullptr, place.left,
                                   place.top, place.right - place.left, place.bottom - place.top,
                                   SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    if (moves) {
        EndDeferWindowPos(moves);
    }
    SendMessageW(list, LVM_SETCOLUMNWIDTH, ResultColumn, LVSCW_AUTOSIZE_USEHEADER);
    // The group box's frame is drawn where it was as well as where it is.
    InvalidateRect(dialog, nullptr, TRUE);
}

void Win32StationWindow::RunPostedTasks() {
    // One at a time: a task that opens a box lets later messages run the next ones meanwhile,
    // still in order.
    for (;;) {
        std::function<void()> task;
        {
            const std::lock_guard lock(taskMutex);
            if (tasks.empty()) {
                return;
            }
            task = std::move(tasks.front());
            tasks.pop_front();
        }
        task();
    }
}

void Win32StationWindow::EnablePortText() {
    const LRESULT kind = SendDlgItemMessageW(dialog, StationPortKindId, CB_GETCURSEL, 0, 0);
    EnableWindow(GetDlgItem(dialog, StationPortTextId), settingsEnabled && kind > 0);
}

int Win32StationWindow::CheckedFamily() const {
    for (int i = 0; i < 2; ++i) {
        if (IsDlgButtonChecked(dialog, StationFirstFamilyId + i) == BST_CHECKED) {
            return i;
        }
    }
    return -1;
}

void Win32StationWindow::CheckFamily(int index) {
    for (int i = 0; i < 2; ++i) {
        CheckDlgButton(dialog, StationFirstFamilyId + i, i == index ? BST_CHECKED : BST_UNCHECKED);
    }
}

PortChoiceText Win32StationWindow::ChosenPorts() const {
    const LRESULT kind = SendDlgItemMessageW(dialog, StationPortKindId, CB_GETCURSEL, 0, 0);
    const HWND box = GetDlgItem(dialog, StationPortTextId);
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(box)) + 1, L'\0');
    text.resize(
        static_cast<size_t>(GetWindowTextW(box, text.data(), static_cast<int>(text.size()))));
    return {.kind = kind == 1   ? PortChoiceText::Kind::Match
                    : kind == 2 ? PortChoiceText::Kind::List
                                : PortChoiceText::Kind::All,
            .text = Utf8FromWide(text)};
}

void Win32StationWindow::ShowPortChoice(const PortChoiceText& choice) {
    SendDlgItemMessageW(dialog, StationPortKindId, CB_SETCURSEL, static_cast<WPARAM>(choice.kind),
                        0);
    SetDlgItemTextW(dialog, StationPortTextId, Wide(choice.text).c_str());
    EnablePortText();
}

std::optional<ChosenFile> Win32StationWindow::ChooseFile() {
    return services.chooseFile(dialog);
}

std::optional<ChosenFile> Win32StationWindow::ChooseRecordFile(const std::string& current) {
    return services.chooseRecordFile(dialog, current);
}

void Win32StationWindow::ShowFile(const std::string& name, const std::string& date,
                                  const std::string& path) {
    SetDlgItemTextW(dialog, StationFileNameBoxId, Wide(name).c_str());
    SetDlgItemTextW(dialog, StationFileDateBoxId, Wide(date).c_str());
    ShowTip(StationFileNameBoxId, path);
}

void Win32StationWindow::ShowRecordFile(const std::string& name, const std::string& path) {
    SetDlgItemTextW(dialog, StationRecordNameId, Wide(name).c_str());
    ShowTip(StationRecordNameId, path);
}

void Win32StationWindow::ShowRow(size_t index, const StationRow& row) {
    if (index >= rows.size()) {
        rows.resize(index + 1);
    }
    rows[index] = row;
    const int item = static_cast<int>(index);
    if (item >= static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0))) {
        LVITEMW added{};
        added.mask = LVIF_TEXT;
        added.iItem = item;
        added.pszText = const_cast<wchar_t*>(L"");
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&added));
    }
    const std::array<std::string, 5> cells{
        row.port, row.serial, row.phase,
        ShowsProgress(row) ? std::to_string(Percent(row.progress)) + " %" : "", row.result};
    for (size_t column = 0; column < cells.size(); ++column) {
        std::wstring text = Wide(cells[column]);
        LVITEMW cell{};
        cell.iSubItem = static_cast<int>(column);
        cell.pszText = text.data();
        SendMessageW(list, LVM_SETITEMTEXTW, index, reinterpret_cast<LPARAM>(&cell));
    }
    // The colours and the bar may change where no text does.
    SendMessageW(list, LVM_REDRAWITEMS, index, index);
}

void Win32StationWindow::ShowCounts(const StationCounts& counts) {
    SetDlgItemTextW(dialog, StationCountsId, Wide(StationCountsText(counts)).c_str());
}

void Win32StationWindow::ShowControls(const StationControls& controls) {
    settingsEnabled = controls.settings;
    for (const int id : {StationSelectFileId, StationFirstFamilyId, StationFirstFamilyId + 1,
                         StationPortKindId, StationSelectRecordId}) {
        EnableWindow(GetDlgItem(dialog, id), controls.settings);
    }
    EnablePortText();
    EnableWindow(GetDlgItem(dialog, StationStartAllId), controls.startAll);
    // Down while watching, to be clicked up again; the rules say whether it went down.
    EnableWindow(GetDlgItem(dialog, StationWatchId), controls.watching || controls.startAll);
    CheckDlgButton(dialog, StationWatchId, controls.watching ? BST_CHECKED : BST_UNCHECKED);
    EnableWindow(GetDlgItem(dialog, StationStopId), controls.stop);
    EnableWindow(GetDlgItem(dialog, StationRetryId), controls.retry);
}

std::optional<size_t> Win32StationWindow::SelectedRow() const {
    const LRESULT selected =
        SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
    if (selected < 0) {
        return std::nullopt;
    }
    return static_cast<size_t>(selected);
}

void Win32StationWindow::ShowBox(const Message& message) {
    MessageBoxFor(dialog, message, MB_OK);
}

bool Win32StationWindow::Ask(const Message& message) {
    return MessageBoxFor(dialog, message, MB_YESNO | MB_DEFBUTTON2) == IDYES;
}

void Win32StationWindow::StartLooking(unsigned milliseconds) {
    SetTimer(dialog, LookTimerId, milliseconds, nullptr);
}

void Win32StationWindow::StopLooking() {
    KillTimer(dialog, LookTimerId);
}

void Win32StationWindow::End() {
    EndDialog(dialog, IDOK);
}

void Win32StationWindow::Post(std::function<void()> task) {
    HWND target = nullptr;
    {
        const std::lock_guard lock(taskMutex);
        tasks.push_back(std::move(task));
        target = taskWindow;
    }
    // Once the window is gone the tasks stay queued, and go with it.
    if (target) {
        PostMessageW(target, TaskMessage, 0, 0);
    }
}

}  // namespace corvane
