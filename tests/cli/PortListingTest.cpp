#include "cli/PortListing.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/cli/ScratchDirectory.h"

namespace corvane::cli {
namespace {

std::string RegistryNaming(const ScratchDirectory& dir, const std::string& file,
                           const std::string& port) {
    return dir.Write(
        file, "REGEDIT4\n[HKLM\\Drivers\\BuiltIn\\Multiplexer]\n\"ParentPort\"=\"" + port + "\"\n");
}

TEST(PortListing, OnePortALineWithTheRegistrysPortMarked) {
    ScratchDirectory dir;
    // A device file of its own, so that a link to it can name it.
    const std::string uart = dir.Write("ttyS4", "");
    std::filesystem::create_symlink(uart, dir.PathOf("by-id"));
    const std::vector<platform::SerialPortInfo> ports = {
        {.device = "/dev/ttyACM0", .usbId = "1e2d:0061", .product = "PLS8", .driver = "cdc_acm"},
        {.device = uart, .driver = "serial"},
        {.device = "/dev/ttyUSB0",
         .usbId = "0403:6001",
         .manufacturer = "FTDI",
         .product = "FT232R USB UART",
         .driver = "ftdi_sio"},
    };
    const std::string acm = "/dev/ttyACM0  1e2d:0061  PLS8  driver cdc_acm";
    const std::string ftdi = "/dev/ttyUSB0  0403:6001  FTDI  FT232R USB UART  driver ftdi_sio";
    const std::string marked = "  (the registry's port)";
    const std::string missing = dir.PathOf("missing.reg");
    // A pseudo-terminal of its own, such as the virtual module's.
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    const std::string pty = ptsname(master);
    const struct {
        std::vector<platform::SerialPortInfo> ports;
        std::string registry;
        std::string out;
        std::string err;
        // Named by --registry: one that does not read is a usage error.
        bool required = false;
    } cases[] = {
        {ports, RegistryNaming(dir, "acm.reg", "/dev/ttyACM0"),
         acm + marked + "\n" + uart + "  driver serial\n" + ftdi + "\n", ""},
        {ports, RegistryNaming(dir, "link.reg", dir.PathOf("by-id")),
         acm + "\n" + uart + "  driver serial" + marked + "\n" + ftdi + "\n", ""},
        {ports, RegistryNaming(dir, "pty.reg", pty),
         acm + "\n" + uart + "  driver serial\n" + ftdi + "\n",
         "corvane-update: " + pty +
             ", the registry's port, is a pseudo-terminal, not a serial port (a virtual "
             "module's?)\n"},
        // USB strings and the registry's port can hold anything, terminal controls too.
        {{{.device = "/dev/ttyUSB1",
           .usbId = "0403:6001",
           .manufacturer = "\x1B]0;OWNED\x07",
           .product = "J\xC3\xBCrgen\x1B[2J",
           .driver = "ftdi_sio",
           .serialNumber = "A5\x1B[2J",
           .stableName = "/dev/serial/by-id/usb-x\x1B[2J-if00"},
          {.device = "COM5", .serialNumber = "A502", .stableName = "COM5"}},
         RegistryNaming(dir, "esc.reg", "/dev/ttyUSB\x1B[2J"),
         "/dev/ttyUSB1  0403:6001  \\x1B]0;OWNED\\x07  J\xC3\xBCrgen\\x1B[2J  driver ftdi_sio  "
         "serial A5\\x1B[2J  /dev/serial/by-id/usb-x\\x1B[2J-if00\nCOM5  serial A502\n",
         "corvane-update: /dev/ttyUSB\\x1B[2J, the registry's port, does not exist\n"},
        {{},
         RegistryNaming(dir, "gone.reg", "/dev/ttyUSB9"),
         "",
         "corvane-update: no serial ports found\ncorvane-update: /dev/ttyUSB9, the registry's "
         "port, does not exist\n"},
        {{},
         RegistryNaming(dir, "file.reg", dir.PathOf("by-id")),
         "",
         "corvane-update: no serial ports found\ncorvane-update: " + dir.PathOf("by-id") +
             ", the registry's port, is no device\n"},
        {{},
         RegistryNaming(dir, "tty.reg", "/dev/tty"),
         "",
         "corvane-update: no serial ports found\ncorvane-update: /dev/tty, the registry's port, "
         "is not among the serial ports present\n"},
        {{},
         missing,
         "",
         "corvane-update: " + missing + ": no such file\ncorvane-update: no serial ports found\n"},
        {ports, missing, "", "corvane-update: " + missing + ": no such file\n", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.registry);
        std::ostringstream out;
        std::ostringstream err;
        Console console{out, err};
        UpdateOptions options;
        options.registryFile = c.registry;
        options.registryRequired = c.required;
        EXPECT_EQ(ListPorts(c.ports, options, console), c.required ? UsageErrorStatus : 0);
        EXPECT_EQ(out.str(), c.out);
        EXPECT_EQ(err.str(), c.err);
    }
    close(master);
}

}  // namespace
}  // namespace corvane::cli
