#include "app/win32/OpenFileDialog.h"

#include <windows.h>

#include <commdlg.h>

#include "platform/win32/WideText.h"

namespace corvane {

std::optional<ChosenFile> ChooseParameterFile(HWND__* owner) {
    // Display text and pattern in turn, as the device shows them, the first one's opening "("
    // included; the list ends with an empty text.
    static constexpr wchar_t Filter[] = L"(Audio Parameter (*.prm)\0*.prm\0All Files (*.*)\0*.*\0";
    wchar_t path[MAX_PATH] = L"*.prm";
    wchar_t name[64] = L"";
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = Filter;
    dialog.lpstrFile = path;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrFileTitle = name;
    dialog.nMaxFileTitle = 64;
    dialog.lpstrDefExt = L"aud";
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    if (!GetOpenFileNameW(&dialog)) {
        return std::nullopt;
    }
    return ChosenFile{platform::win32::Utf8FromWide(path), platform::win32::Utf8FromWide(name)};
}

}  // namespace corvane
