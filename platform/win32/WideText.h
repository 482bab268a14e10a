#pragma once

#include <string>
#include <string_view>

namespace corvane::platform::win32 {

// Our text is UTF-8; the wide Windows calls take and give UTF-16. A malformed sequence becomes
// U+FFFD rather than failing the conversion, so a name or message always comes through.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

}  // namespace corvane::platform::win32
