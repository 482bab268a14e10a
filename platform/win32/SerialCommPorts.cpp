#include <windows.h>

#include <algorithm>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/SerialPortList.h"
#include "platform/win32/ComPortName.h"
#include "platform/win32/PortsClassDevices.h"
#include "platform/win32/WideText.h"

namespace corvane::platform {

namespace {

// Every serial port driver enters each port it serves here while the port is present: the
// value's name is the driver's device ("\Device\Serial0"), its data the COM name.
constexpr const wchar_t* SerialCommKey = L"HARDWARE\\DEVICEMAP\\SERIALCOMM";

// The COM names in SERIALCOMM.
std::vector<std::string> SerialCommNames() {
    std::vector<std::string> names;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, SerialCommKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return names;  // no port has ever been present
    }
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD nameLength = static_cast<DWORD>(std::size(name));
        wchar_t data[64] = {};
        // One unit short of the buffer, so that the text always ends in a zero.
        DWORD dataBytes = sizeof data - sizeof data[0];
        DWORD type = REG_NONE;
        const LSTATUS status = RegEnumValueW(key, index, name, &nameLength, nullptr, &type,
                                             reinterpret_cast<BYTE*>(data), &dataBytes);
        if (status == ERROR_NO_MORE_ITEMS) {
            break;
        }
        // A name or data too long for a COM port is none of ours to list.
        if (status == ERROR_SUCCESS && type == REG_SZ && data[0] != L'\0') {
            names.push_back(win32::Utf8FromWide(data));
        }
    }
    RegCloseKey(key);
    return names;
}

// Wine enters each COM port it maps in SERIALCOMM, also one whose device is missing (a link that
// a test makes later): such a port is not present. Asking for the name's attributes opens no port
// (Wine only looks the device up), so no modem line moves. A device that exists but has no
// attributes to give, or is in use, answers with another error and stays listed.
bool DeviceBehind(const std::string& name) {
    const std::optional<std::string> normal = win32::NormalComPortName(name);
    if (!normal ||
        GetFileAttributesW(win32::ComDevicePath(*normal).c_str()) != INVALID_FILE_ATTRIBUTES) {
        return true;
    }
    switch (GetLastError()) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_BAD_DEV_TYPE:
            return false;
        default:
            return true;
    }
}

}  // namespace

// The Ports class tells what each port is; SERIALCOMM names every port present, also those whose
// driver enters no device in that class (some virtual ports, Wine's), and under Wine also mapped
// ports whose device is missing.
std::vector<SerialPortInfo> ListSerialPorts() {
    std::vector<SerialPortInfo> ports = win32::PortsClassDevices();
    for (std::string& name : SerialCommNames()) {
        const auto named = [&name](const SerialPortInfo& port) { return NamesPort(name, port); };
        if (std::none_of(ports.begin(), ports.end(), named) && DeviceBehind(name)) {
            ports.push_back({.device = std::move(name)});
        }
    }
    std::sort(ports.begin(), ports.end(), [](const SerialPortInfo& a, const SerialPortInfo& b) {
        return PortNameBefore(a.device, b.device);
    });
    return ports;
}

bool NamesPort(const std::string& name, const SerialPortInfo& port) {
    // "COM5:", "COM5" and "\\.\COM5" are one port, in any case.
    const std::optional<std::string> normal = win32::NormalComPortName(name);
    return normal && normal == win32::NormalComPortName(port.device);
}

// A COM name is only known through the list: there is nothing to look at beyond it.
std::string DescribeUnlistedPort(const std::string&) {
    return "";
}

}  // namespace corvane::platform
