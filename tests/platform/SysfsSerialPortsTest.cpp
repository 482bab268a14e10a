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
    FakeSysfs(const FakeSysfs&) = delete;
    FakeSysfs& operator=(const FakeSysfs&) = delete;

    fs::path Device(const std::string& path, const std::string& bus = "",
                    const std::string& driver = "") {
        const fs::path device = root / "devices" / path;
        fs::create_directories(device);
        if (!bus.empty()) {
            fs::create_directories(root / "bus" / bus / "drivers" / driver);
            fs::create_directory_symlink(root / "bus" / bus, device / "subsystem");
            fs::create_directory_symlink(root / "bus" / bus / "drivers" / driver,
                                         device / "driver");
        }
        return device;
    }
    static void Write(const fs::path& file, const std::string& value) {
        std::ofstream(file) << value << '\n';
    }
    // A terminal below device, its class entry, and its serial core type when it has one.
    void Terminal(const fs::path& device, const std::string& name, const std::string& type = "") {
        const fs::path tty = device / "tty" / name;
        fs::create_directories(tty);
        fs::create_directory_symlink(device, tty / "device");
        if (!type.empty()) {
            Write(tty / "type", type);
        }
        fs::create_directory_symlink(tty, root / "class" / "tty" / name);
    }
    // A terminal without hardware: a console, the pseudo-terminal multiplexer.
    void VirtualTerminal(const std::string& name) {
        const fs::path tty = root / "devices" / "virtual" / "tty" / name;
        fs::create_directories(tty);
        fs::create_directory_symlink(tty, root / "class" / "tty" / name);
    }

    fs::path root;
};

TEST(SysfsSerialPorts, ListsTerminalsWithHardwareBehindThemInNameOrder) {
    FakeSysfs sys;
    const fs::path usb = "pci0000:00/0000:00:14.0/usb1";

    const fs::path ftdi = sys.Device(usb / "1-2", "usb", "usb");
    FakeSysfs::Write(ftdi / "idVendor", "0403");
    FakeSysfs::Write(ftdi / "idProduct", "6001");
    FakeSysfs::Write(ftdi / "manufacturer", "FTDI");
    FakeSysfs::Write(ftdi / "product", "FT232R USB UART");
    sys.Device(usb / "1-2/1-2:1.0", "usb", "ftdi_sio");
    sys.Terminal(sys.Device(usb / "1-2/1-2:1.0/ttyUSB0", "usb-serial", "ftdi_sio"), "ttyUSB0");

    // A modem without a manufacturer string.
    const fs::path modem = sys.Device(usb / "1-3", "usb", "usb");
    FakeSysfs::Write(modem / "idVendor", "1e2d");
    FakeSysfs::Write(modem / "idProduct", "0061");
    FakeSysfs::Write(modem / "product", "PLS8");
    sys.Terminal(sys.Device(usb / "1-3/1-3:1.0", "usb", "cdc_acm"), "ttyACM0");

    // A UART on a kernel that puts port and controller on a bus of their own below the device,
    // one on an older kernel, and a slot the kernel keeps for a UART it did not find.
    sys.Device("pnp0/00:01", "pnp", "serial");
    sys.Device("pnp0/00:01/00:01:0", "serial-base", "ctrl");
    sys.Terminal(sys.Device("pnp0/00:01/00:01:0/00:01:0.0", "serial-base", "port"), "ttyS4", "4");
    sys.Terminal(sys.Device("platform/serial8250.0", "platform", "serial8250"), "ttyS10", "4");
    sys.Terminal(sys.Device("platform/serial8250"), "ttyS1", "0");

    sys.VirtualTerminal("ptmx");
    sys.VirtualTerminal("console");

    const std::vector<SerialPortInfo> expected = {
        {.device = "/dev/ttyACM0", .usbId = "1e2d:0061", .product = "PLS8", .driver = "cdc_acm"},
        {.device = "/dev/ttyS4", .driver = "serial"},
        {.device = "/dev/ttyS10", .driver = "serial8250"},
        {.device = "/dev/ttyUSB0",
         .usbId = "0403:6001",
         .manufacturer = "FTDI",
         .product = "FT232R USB UART",
         .driver = "ftdi_sio"},
    };
    EXPECT_EQ(SerialPortsInSysfs(sys.root), expected);
    EXPECT_EQ(SerialPortsInSysfs(sys.root / "missing"), std::vector<SerialPortInfo>{});
}

}  // namespace
}  // namespace posix
}  // namespace corvane::platform
