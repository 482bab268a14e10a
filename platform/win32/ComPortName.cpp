#include "platform/win32/ComPortName.h"

namespace corvane::platform::win32 {

namespace {

// The most ports the system's COM name arbiter hands out.
constexpr unsigned HighestComNumber = 4096;

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (size_t i = 0; i < prefix.size(); ++i) {
        const char c = text[i];
        if ((c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c) != prefix[i]) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<std::string> NormalComPortName(std::string_view name) {
    if (name.starts_with("\\\\.\\")) {
        name.remove_prefix(4);
    } else if (name.ends_with(':')) {
        name.remove_suffix(1);
    }
    if (!StartsWithNoCase(name, "COM")) {
        return std::nullopt;
    }
    const std::string_view digits = name.substr(3);
    // No leading zero: "COM05" is no device's name.
    if (digits.empty() || digits.size() > 4 || digits[0] == '0') {
        return std::nullopt;
    }
    unsigned number = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        number = number * 10 + static_cast<unsigned>(c - '0');
    }
    if (number > HighestComNumber) {
        return std::nullopt;
    }
    return "COM" + std::string(digits);
}

std::wstring ComDevicePath(const std::string& normalName) {
    return L"\\\\.\\" + std::wstring(normalName.begin(), normalName.end());
}

}  // namespace corvane::platform::win32
