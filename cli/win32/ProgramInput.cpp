#include "cli/ProgramInput.h"

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cstdlib>

#include "platform/win32/WideText.h"

namespace corvane::cli {

// From the UTF-16 command line; main()'s narrow copy has lost what the ANSI code page lacks.
std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) {
        return {argv, argv + argc};
    }
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i) {
        arguments.push_back(platform::win32::Utf8FromWide(wide[i]));
    }
    LocalFree(wide);
    return arguments;
}

std::optional<std::string> Utf8Variable(const char* name) {
    const std::optional<std::wstring> wideName = platform::win32::WideFromUtf8(name);
    const wchar_t* value = wideName ? _wgetenv(wideName->c_str()) : nullptr;
    return value != nullptr ? std::optional<std::string>(platform::win32::Utf8FromWide(value))
                            : std::nullopt;
}

}  // namespace corvane::cli
