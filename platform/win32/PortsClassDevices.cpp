#include "platform/win32/PortsClassDevices.h"

// The GUIDs of devguid.h are defined where initguid.h comes before it.
// clang-format off
#include <windows.h>
#include <initguid.h>
#include <devguid.h>
#include <setupapi.h>
// clang-format on

#include <algorithm>
#include <array>
#include <cwctype>
#include <optional>

#include "platform/win32/ComPortName.h"
#include "platform/win32/WideText.h"

namespace corvane::platform::win32 {

namespace {

// A device's text property; a list of texts (REG_MULTI_SZ) keeps its zeros. Empty when the
// device has none or none that fits.
std::wstring TextProperty(HDEVINFO devices, SP_DEVINFO_DATA& device, DWORD property) {
    wchar_t text[1024] = {};
    DWORD type = REG_NONE;
    DWORD bytes = 0;
    // Two units short of the buffer, so that a list always ends in two zeros.
    if (!SetupDiGetDeviceRegistryPropertyW(devices, &device, property, &type,
                                           reinterpret_cast<BYTE*>(text),
                                           sizeof text - 2 * sizeof text[0], &bytes) ||
        (type != REG_SZ && type != REG_MULTI_SZ)) {
        return L"";
    }
    std::wstring_view value(text, bytes / sizeof text[0]);
    while (!value.empty() && value.back() == L'\0') {
        value.remove_suffix(1);
    }
    return std::wstring(value);
}

// The COM name the device's driver serves it under, from the device's own key; nothing for a
// printer port or a device that has none.
std::optional<std::string> PortName(HDEVINFO devices, SP_DEVINFO_DATA& device) {
    const HKEY key =
        SetupDiOpenDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
    if (key == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    wchar_t name[64] = {};
    DWORD bytes = sizeof name - sizeof name[0];
    DWORD type = REG_NONE;
    const LSTATUS status =
        RegQueryValueExW(key, L"PortName", nullptr, &type, reinterpret_cast<BYTE*>(name), &bytes);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_SZ) {
        return std::nullopt;
    }
    return NormalComPortName(Utf8FromWide(name));
}

// Four hex digits after marker in id, in lower case; empty when they are not there.
std::string HexAfter(std::wstring_view id, std::wstring_view marker) {
    const size_t at = id.find(marker);
    if (at == std::wstring_view::npos || id.size() - at - marker.size() < 4) {
        return "";
    }
    std::string hex;
    for (const wchar_t c : id.substr(at + marker.size(), 4)) {
        if (!iswxdigit(c)) {
            return "";
        }
        hex += static_cast<char>(towlower(c));
    }
    return hex;
}

std::wstring InstanceId(HDEVINFO devices, SP_DEVINFO_DATA& device) {
    std::array<wchar_t, 512> id{};
    if (!SetupDiGetDeviceInstanceIdW(devices, &device, id.data(), static_cast<DWORD>(id.size()),
                                     nullptr)) {
        return L"";
    }
    return id.data();
}

}  // namespace

std::string UsbIdFromHardwareIds(std::wstring_view hardwareIds) {
    while (!hardwareIds.empty()) {
        // Hardware ids are compared without regard to case.
        std::wstring id(hardwareIds.substr(0, hardwareIds.find(L'\0')));
        hardwareIds.remove_prefix(std::min(hardwareIds.size(), id.size() + 1));
        std::transform(id.begin(), id.end(), id.begin(),
                       [](wchar_t c) { return static_cast<wchar_t>(towupper(c)); });
        const std::string vendor = HexAfter(id, L"VID_");
        const std::string product = HexAfter(id, L"PID_");
        if (!vendor.empty() && !product.empty()) {
            return vendor + ":" + product;
        }
    }
    return "";
}

std::string SerialFromInstanceId(std::wstring_view instanceId) {
    const size_t last = instanceId.rfind(L'\\');
    if (!instanceId.starts_with(L"USB\\") || last == 3 || last == std::wstring_view::npos) {
        return "";
    }
    const std::wstring_view serial = instanceId.substr(last + 1);
    return serial.find(L'&') == std::wstring_view::npos ? Utf8FromWide(serial) : "";
}

std::string ProductFromFriendlyName(std::wstring_view friendlyName) {
    const size_t open = friendlyName.rfind(L" (");
    if (open != std::wstring_view::npos && friendlyName.ends_with(L')')) {
        const std::wstring_view inside =
            friendlyName.substr(open + 2, friendlyName.size() - open - 3);
        if (NormalComPortName(Utf8FromWide(inside))) {
            friendlyName = friendlyName.substr(0, open);
        }
    }
    return Utf8FromWide(friendlyName);
}

std::vector<SerialPortInfo> PortsClassDevices() {
    std::vector<SerialPortInfo> ports;
    const HDEVINFO devices =
        SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
    if (devices == INVALID_HANDLE_VALUE) {
        return ports;
    }
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD index = 0; SetupDiEnumDeviceInfo(devices, index, &device); ++index) {
        const std::optional<std::string> name = PortName(devices, device);
        if (!name) {
            continue;
        }
        ports.push_back({
            .device = *name,
            .usbId = UsbIdFromHardwareIds(TextProperty(devices, device, SPDRP_HARDWAREID)),
            .manufacturer = Utf8FromWide(TextProperty(devices, device, SPDRP_MFG)),
            .product = ProductFromFriendlyName(TextProperty(devices, device, SPDRP_FRIENDLYNAME)),
            .driver = Utf8FromWide(TextProperty(devices, device, SPDRP_SERVICE)),
            .serialNumber = SerialFromInstanceId(InstanceId(devices, device)),
        });
    }
    SetupDiDestroyDeviceInfoList(devices);
    return ports;
}

}  // namespace corvane::platform::win32
