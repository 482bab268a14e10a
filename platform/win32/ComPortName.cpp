#include "platform/win32/ComPortName.h"

#include <string.h>

#include <charconv>

namespace corvane::platform::win32 {

namespace {

// The most ports the system's COM name arbiter hands out.
constexpr unsigned HighestComNumber = 4096;

}  // namespace

std::optional<std::string> NormalComPortName(std::string_view name) {
    if (name.starts_with("\\\\.\\")) {
        name.remove_prefix(4);
    } else if (name.ends_with(':')) {
        name.remove_suffix(1);
    }
    if (name.size() < 4 || _strnicmp(name.data(), "COM", 3) != 0) {
        return std::nullopt;
    }
    const std::string_view digits = name.substr(3);
    unsigned number = 0;
    const char* const end = digits.data() + digits.size();
    const auto [stop, error] = std::from_chars(digits.data(), end, number);
    // No leading zero: "COM05" is no device's name.
    if (error != std::errc() || stop != end || digits[0] == '0' || number > HighestComNumber) {
        return std::nullopt;
    }
    return "COM" + std::string(digits);
}

std::wstring ComDevicePath(const std::string& normalName) {
    return L"\\\\.\\" + std::wstring(normalName.begin(), normalName.end());
}

}  // namespace corvane::platform::win32
