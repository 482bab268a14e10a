#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/SerialPortList.h"

namespace corvane::platform::win32 {

// The COM ports among the devices of the system's Ports class that are present, with what
// Device Manager shows of them: the friendly name as the product (without its "(COMn)"), the
// driver package's manufacturer, the driver's service, and vendor:product where the device's
// hardware ids carry them. Unsorted; empty where the system keeps no such devices.
std::vector<SerialPortInfo> PortsClassDevices();

// vendor:product in lower-case hex ("0403:6001") from a device's hardware ids, each ended by a
// zero as the system hands them out ("USB\VID_0403&PID_6001&REV_0600", "FTDIBUS\COMPORT&VID_0403
// &PID_6001"); empty when no id carries both.
std::string UsbIdFromHardwareIds(std::wstring_view hardwareIds);

// The USB serial number in a device's instance id ("USB\VID_0403&PID_6001\FT5XK2"); empty when
// the last part is one the system made up (it holds an '&') or the device is not a USB one.
std::string SerialFromInstanceId(std::wstring_view instanceId);

// A friendly name without the port name that the system appends to it: "USB Serial Port (COM5)"
// is "USB Serial Port".
std::string ProductFromFriendlyName(std::wstring_view friendlyName);

}  // namespace corvane::platform::win32
