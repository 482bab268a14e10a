#include "platform/win32/WideText.h"

#include "platform/registry/Utf16.h"

namespace corvane::platform::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wchar_t holds one UTF-16 unit");

std::optional<std::wstring> WideFromUtf8(std::string_view text) {
    const std::optional<std::u16string> units = Utf8ToUtf16(text);
    if (!units) {
        return std::nullopt;
    }
    return std::wstring(units->begin(), units->end());
}

std::string Utf8FromWide(std::wstring_view text) {
    return Utf16ToUtf8(std::u16string(text.begin(), text.end()));
}

}  // namespace corvane::platform::win32
