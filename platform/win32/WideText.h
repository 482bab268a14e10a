#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace corvane::platform::win32 {

// Win32 takes names as UTF-16 in wchar_t; inside the program they are UTF-8. Empty when the
// text is not well-formed UTF-8, which no name the system handed out can be.
std::optional<std::wstring> WideFromUtf8(std::string_view text);

// What the system says, for the operator; a unit that is no UTF-16 becomes U+FFFD.
std::string Utf8FromWide(std::wstring_view text);

}  // namespace corvane::platform::win32
