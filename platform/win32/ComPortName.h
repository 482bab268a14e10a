#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace corvane::platform::win32 {

// A port name as the registry or the operator gives it, in the one form that names the port
// whatever its spelling: "COM7:" (the device's own form), "com7" and "\\.\COM7" are all "COM7".
// Nothing for any other name: "\\?\COM7" or "//./COM7" reach the same device by other paths, a
// UNC path or a pipe reaches another host, and a file name is no port.
std::optional<std::string> NormalComPortName(std::string_view name);

// What CreateFile opens for a normal COM name: the device namespace, which alone also reaches
// COM10 and above.
std::wstring ComDevicePath(const std::string& normalName);

}  // namespace corvane::platform::win32
