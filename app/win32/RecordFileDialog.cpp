#include "app/win32/RecordFileDialog.h"

#include <windows.h>

#include <commdlg.h>

#include "platform/win32/WideText.h"

namespace corvane {

std::optional<ChosenFile> ChooseRecordFile(HWND__* owner, const std::string& current) {
    static constexpr wchar_t Filter[] = L"Update record (*.jsonl)\0*.jsonl\0All Files (*.*)\0*.*\0";
    wchar_t path[MAX_PATH] = L"";
    const std::wstring start = platform::win32::WideFromUtf8(current).value_or(L"");
    if (start.size() < MAX_PATH) {
        start.copy(path, start.size());
    }
    wchar_t name[MAX_PATH] = L"";
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = Filter;
    dialog.lpstrFile = path;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrFileTitle = name;
    dialog.nMaxFileTitle = MAX_PATH;
    dialog.lpstrDefExt = L"jsonl";
    // The record is appended to: an existing one is what a line usually picks again.
    dialog.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOREADONLYRETURN;
    if (!GetSaveFileNameW(&dialog)) {
        return std::nullopt;
    }
    return ChosenFile{platform::win32::Utf8FromWide(path), platform::win32::Utf8FromWide(name)};
}

}  // namespace corvane
