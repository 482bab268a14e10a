#include "platform/posix/SysfsSerialPorts.h"

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>

namespace corvane::platform::posix {

namespace fs = std::filesystem;

namespace {

// The first line of a sysfs attribute; empty when there is none.
std::string Attribute(const fs::path& file) {
    std::ifstream in(file);
    std::string value;
    std::getline(in, value);
    return value;
}

std::string LinkName(const fs::path& link) {
    std::error_code error;
    const fs::path target = fs::read_symlink(link, error);
    return error ? "" : target.filename().string();
}

// A serial core port that the kernel keeps without a UART behind it says so with type 0.
bool IsEmptyUartSlot(const fs::path& tty) {
    std::error_code error;
    return fs::exists(tty / "type", error) && Attribute(tty / "type") == "0";
}

// The driver serving the port: the first one bound on the way up from its device. Newer
// kernels put the port and its controller on a bus of their own ("serial-base") below the
// device that the hardware driver serves; those two say nothing to the operator.
std::string DriverAbove(fs::path device, const fs::path& top) {
    for (; device != top && device.has_relative_path(); device = device.parent_path()) {
        const std::string driver = LinkName(device / "driver");
        if (!driver.empty() && LinkName(device / "subsystem") != "serial-base") {
            return driver;
        }
    }
    return "";
}

// The USB device the port belongs to, if any: the nearest one up that has its ids.
void AddUsbDetails(fs::path device, const fs::path& top, SerialPortInfo& port) {
    std::error_code error;
    for (; device != top && device.has_relative_path(); device = device.parent_path()) {
        if (fs::exists(device / "idVendor", error)) {
            port.usbId = Attribute(device / "idVendor") + ":" + Attribute(device / "idProduct");
            port.manufacturer = Attribute(device / "manufacturer");
            port.product = Attribute(device / "product");
            port.serialNumber = Attribute(device / "serial");
            return;
        }
    }
}

}  // namespace

std::vector<SerialPortInfo> SerialPortsInSysfs(const std::string& root) {
    std::vector<SerialPortInfo> ports;
    std::error_code error;
    const fs::path top = fs::canonical(root, error);
    if (error) {
        return ports;
    }
    for (fs::directory_iterator entry(top / "class" / "tty", error), end; !error && entry != end;
         entry.increment(error)) {
        const fs::path tty = entry->path();
        const fs::path device = fs::canonical(tty / "device", error);
        if (error) {
            error.clear();  // no device behind it: a console, a virtual terminal
            continue;
        }
        if (IsEmptyUartSlot(tty)) {
            continue;
        }
        SerialPortInfo port{.device = "/dev/" + tty.filename().string()};
        port.driver = DriverAbove(device, top);
        AddUsbDetails(device, top, port);
        ports.push_back(port);
    }
    std::sort(ports.begin(), ports.end(), [](const SerialPortInfo& a, const SerialPortInfo& b) {
        return PortNameBefore(a.device, b.device);
    });
    return ports;
}

void AddStableNames(std::vector<SerialPortInfo>& ports, const std::string& links) {
    // by-path names the socket, which a line keeps when a device is swapped; by-id the device.
    for (const char* kind : {"by-id", "by-path"}) {
        std::error_code error;
        for (fs::directory_iterator entry(fs::path(links) / kind, error), end;
             !error && entry != end; entry.increment(error)) {
            const fs::path target = fs::canonical(entry->path(), error);
            for (SerialPortInfo& port : ports) {
                if (!error && target == port.device) {
                    port.stableName = entry->path().string();
                }
            }
            error.clear();
        }
    }
}

}  // namespace corvane::platform::posix

namespace corvane::platform {

std::vector<SerialPortInfo> ListSerialPorts() {
    std::vector<SerialPortInfo> ports = posix::SerialPortsInSysfs("/sys");
    posix::AddStableNames(ports, "/dev/serial");
    return ports;
}

bool NamesPort(const std::string& name, const SerialPortInfo& port) {
    if (name == port.device) {
        return true;
    }
    // A link such as /dev/serial/by-id/usb-...-if00 names the device it points to.
    const std::unique_ptr<char, decltype(&free)> resolved(realpath(name.c_str(), nullptr), &free);
    return resolved && port.device == resolved.get();
}

std::string DescribeUnlistedPort(const std::string& name) {
    std::error_code error;
    const std::filesystem::path device = std::filesystem::canonical(name, error);
    if (error) {
        return "does not exist";
    }
    // Unix98 pseudo-terminals, such as the virtual module's, live under /dev/pts.
    if (device.parent_path() == "/dev/pts") {
        return "is a pseudo-terminal, not a serial port (a virtual module's?)";
    }
    if (!std::filesystem::is_character_file(device, error)) {
        return "is no device";
    }
    return "";
}

}  // namespace corvane::platform
