#pragma once

#include <string>
#include <vector>

namespace corvane::platform {

// A serial port present on the system, as the operator would recognise it.
struct SerialPortInfo {
    // What --port takes: "/dev/ttyUSB0", "COM5".
    std::string device = {};
    // Of a port on USB: vendor:product in hex ("0403:6001") and the device's own manufacturer
    // and product strings; each empty where the system does not say.
    std::string usbId = {};
    std::string manufacturer = {};
    std::string product = {};
    // The driver that serves the port; empty where the system does not say.
    std::string driver = {};
    // The device's USB serial number, and the name that stays the same for it across plug-ins
    // ("/dev/serial/by-path/...", else by-id); each empty where the system does not say.
    std::string serialNumber = {};
    std::string stableName = {};

    bool operator==(const SerialPortInfo&) const = default;
};

// The serial ports present, in name order (COM2 before COM10). None is opened: opening a port
// can move its modem lines, and DTR resets the module.
std::vector<SerialPortInfo> ListSerialPorts();

// Whether name, as the registry or the operator gives a port ("COM5:", a link to the device),
// is this port.
bool NamesPort(const std::string& name, const SerialPortInfo& port);

// What a port name that ListSerialPorts leaves out stands for, as the rest of a sentence about
// it: "does not exist", "is a pseudo-terminal, not a serial port (a virtual module's?)", "is no
// device"; empty when there is nothing more to say than that it is not listed. Opens nothing.
std::string DescribeUnlistedPort(const std::string& name);

// The order of port names for people: the numbers in them compare as numbers.
bool PortNameBefore(const std::string& a, const std::string& b);

}  // namespace corvane::platform
