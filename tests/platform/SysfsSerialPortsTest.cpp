#include "platform/posix/SysfsSerialPorts.h"

#include <stdlib.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace corvane::platform {

void PrintTo(const SerialPortInfo& port, std::ostream* out) {
    *out << port.device << " [" << port.usbId << "|" << port.manufacturer << "|" << port.product
         << "|" << port.driver << "]";
}

namespace posix {
namespace {

namespace fs = std::filesystem;

// A tree in the shape of sysfs: devices with their attributes and their driver and subsystem
// links, and class/tty entries linking to the terminals below their devices.
class FakeSysfs {
  public:
    FakeSysfs() {
        std::string pattern = fs::temp_directory_path() / "corvane-sysfs-XXXXXX";
        root = mkdtemp(pattern.data());
        fs::create_directories(root / "class" / "tty");
    }
    ~FakeSysfs() { fs::remove_all(root); }

    // Links that sysfs would resolve need not: only their names are read.
    fs::path Device(const std::string& path, const std::string& bus = "",
                    const std::string& driver = "") {
        const fs::path device = root / "devices" / path;
        fs::create_directories(device);
        if (!bus.empty()) {
            fs::create_symlink(root / "bus" / bus, device / "subsystem");
            fs::create_symlink(root / "bus" / bus / "drivers" / driver, device / "driver");
        }
        return device;
    }
    // Attributes, each "name=value".
    static void Write(const fs::path& device, std::initializer_list<std::string> attributes) {
        for (const std::string& attribute : attributes) {
            const size_t is = attribute.find('=');
            std::ofstream(device / attribute.substr(0, is)) << attribute.substr(is + 1) << '\n';
        }
    }
    // A terminal below the device (none: a console), its class entry, its serial core type.
    void Terminal(const std::string& name, const fs::path& device, const std::string& type = "") {
        const fs::path tty = (device.empty() ? root / "devices/virtual" : device) / "tty" / name;
        fs::create_directories(tty);
        if (!device.empty()) {
            fs::create_directory_symlink(device, tty / "device");
        }
        if (!type.empty()) {
            Write(tty, {"type=" + type});
        }
        fs::create_directory_symlink(tty, root / "class" / "tty" / name);
    }

    fs::path root;
};

TEST(SysfsSerialPorts, ListsTerminalsWithHardwareBehindThemInNameOrder) {
    FakeSysfs sys;
    const fs::path usb = "pci0000:00/0000:00:14.0/usb1";
    FakeSysfs::Write(sys.Device(usb / "1-2", "usb", "usb"),
                     {"idVendor=0403", "idProduct=6001", "manufacturer=FTDI",
                      "product=FT232R USB UART", "serial=FT5XK2"});
    sys.Device(usb / "1-2/1-2:1.0", "usb", "ftdi_sio");
    sys.Terminal("ttyUSB0", sys.Device(usb / "1-2/1-2:1.0/ttyUSB0", "usb-serial", "ftdi_sio"));
    // A modem without a manufacturer string.
    FakeSysfs::Write(sys.Device(usb / "1-3", "usb", "usb"),
                     {"idVendor=1e2d", "idProduct=0061", "product=PLS8"});
    sys.Terminal("ttyACM0", sys.Device(usb / "1-3/1-3:1.0", "usb", "cdc_acm"));
    // A UART on a kernel that puts port and controller on a bus of their own below the device,
    // one on an older kernel, and a slot the kernel keeps for a UART it did not find.
    sys.Device("pnp0/00:01", "pnp", "serial");
    sys.Device("pnp0/00:01/00:01:0", "serial-base", "ctrl");
    sys.Terminal("ttyS4", sys.Device("pnp0/00:01/00:01:0/00:01:0.0", "serial-base", "port"), "4");
    sys.Terminal("ttyS10", sys.Device("platform/serial8250.0", "platform", "serial8250"), "4");
    sys.Terminal("ttyS1", sys.Device("platform/serial8250"), "0");
    sys.Terminal("ptmx", "");
    sys.Terminal("console", "");

    const std::vector<SerialPortInfo> expected = {
        {.device = "/dev/ttyACM0", .usbId = "1e2d:0061", .product = "PLS8", .driver = "cdc_acm"},
        {.device = "/dev/ttyS4", .driver = "serial"},
        {.device = "/dev/ttyS10", .driver = "serial8250"},
        {.device = "/dev/ttyUSB0",
         .usbId = "0403:6001",
         .manufacturer = "FTDI",
         .product = "FT232R USB UART",
         .driver = "ftdi_sio",
         .serialNumber = "FT5XK2"},
    };
    EXPECT_EQ(SerialPortsInSysfs(sys.root), expected);
    EXPECT_EQ(SerialPortsInSysfs(sys.root / "missing"), std::vector<SerialPortInfo>{});
}

TEST(SysfsSerialPorts, StableNamePrefersTheSocketToTheDevice) {
    FakeSysfs links;
    fs::create_directories(links.root / "by-id");
    fs::create_directories(links.root / "by-path");
    fs::create_symlink("/dev/null", links.root / "by-id" / "usb-FTDI_FT232R_FT5XK2-if00-port0");
    std::vector<SerialPortInfo> ports = {{.device = "/dev/null"}, {.device = "/dev/zero"}};
    AddStableNames(ports, links.root.string());
    EXPECT_EQ(ports[0].stableName,
              (links.root / "by-id/usb-FTDI_FT232R_FT5XK2-if00-port0").string());
    fs::create_symlink("/dev/null", links.root / "by-path" / "pci-0:14.0-usb-0:1.3:1.0-port0");
    AddStableNames(ports, links.root.string());
    EXPECT_EQ(ports[0].stableName,
              (links.root / "by-path/pci-0:14.0-usb-0:1.3:1.0-port0").string());
    EXPECT_EQ(ports[1].stableName, "");
}

}  // namespace
}  // namespace posix
}  // namespace corvane::platform
