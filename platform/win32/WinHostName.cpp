#include <windows.h>

#include "platform/HostName.h"
#include "platform/win32/WideText.h"

namespace corvane::platform {

std::string HostName() {
    DWORD length = 0;
    GetComputerNameExW(ComputerNameDnsHostname, nullptr, &length);
    std::wstring name(length, L'\0');
    if (length == 0 || !GetComputerNameExW(ComputerNameDnsHostname, name.data(), &length)) {
        return {};
    }
    name.resize(length);
    return win32::Utf8FromWide(name);
}

}  // namespace corvane::platform
