// The Windows serial port against virtual modules on pseudo-terminals that Wine maps to COM
// ports (run-port-test.sh sets them up). Each environment variable names one port:
//   CORVANE_PORT_115200  a module that answers only at 115200
//   CORVANE_PORT_57600   a module that answers only at 57600

#include <gtest/gtest.h>
#include <windows.h>
// clang-format off
#include <initguid.h>
#include <devguid.h>
#include <setupapi.h>
// clang-format on

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/SerialPortList.h"
#include "platform/win32/ComPortName.h"
#include "platform/win32/PortsClassDevices.h"
#include "platform/win32/WinSerialPort.h"

namespace corvane::platform::win32 {
namespace {

using namespace std::string_view_literals;

using Clock = std::chrono::steady_clock;

std::string PortFromEnvironment(const char* variable) {
    const char* name = std::getenv(variable);
    return name != nullptr ? name : "";
}

size_t Send(WinSerialPort& port, std::string_view text) {
    return port.Write({reinterpret_cast<const uint8_t*>(text.data()), text.size()});
}

// What the module sends until the line falls silent.
std::string Reply(WinSerialPort& port) {
    std::string reply;
    while (reply.size() < 2000) {
        const std::optional<uint8_t> byte = port.ReadByte();
        if (!byte) {
            break;
        }
        reply += static_cast<char>(*byte);
    }
    return reply;
}

// A module answers "AT" only once it has taken the whole line, and its echo comes first.
std::string Ask(WinSerialPort& port, std::string_view command) {
    Send(port, command);
    Sleep(50);
    return Reply(port);
}

// The line as the driver holds it. Wine shares its COM ports, so a second handle sees it.
std::optional<DCB> HeldLine(const std::string& portName) {
    const HANDLE observer =
        CreateFileA(("\\\\.\\" + portName).c_str(), GENERIC_READ,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (observer == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    DCB held{};
    held.DCBlength = sizeof(DCB);
    const bool read = GetCommState(observer, &held) != FALSE;
    CloseHandle(observer);
    return read ? std::optional(held) : std::nullopt;
}

// Every spelling of one port comes to one name, which its lock is named after; a name that
// reaches a device by another path, or another host, comes to none.
TEST(NormalComPortNameTest, TheThreeSpellingsOfAPortAndNothingElse) {
    const struct {
        const char* name;
        const char* normal;
    } cases[] = {
        {"COM5", "COM5"},
        {"COM5:", "COM5"},
        {"\\\\.\\COM5", "COM5"},
        {"com12:", "COM12"},
        {"\\\\.\\cOm4096", "COM4096"},
        {"//./COM5", nullptr},
        {"\\\\?\\COM5", nullptr},
        {"\\\\.\\COM5:", nullptr},
        {"\\\\host\\pipe\\x", nullptr},
        {"\\\\host\\share\\COM5", nullptr},
        {"C:\\x", nullptr},
        {"NUL", nullptr},
        {"COM", nullptr},
        {"COM0", nullptr},
        {"COM05", nullptr},
        {"COM4097", nullptr},
        {"COM1:x", nullptr},
        {"COM5.", nullptr},
        {"COM5 ", nullptr},
        {"LPT1", nullptr},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NormalComPortName(c.name),
                  c.normal ? std::optional<std::string>(c.normal) : std::nullopt)
            << c.name;
    }
}

// What Device Manager says of a port, as the list shows it.
TEST(PortsClassDevicesTest, UsbIdsAndProductFromWhatTheSystemKeeps) {
    const struct {
        std::wstring_view hardwareIds;
        const char* usbId;
    } ids[] = {
        {L"USB\\VID_0403&PID_6001&REV_0600\0USB\\VID_0403&PID_6001\0"sv, "0403:6001"},
        {L"FTDIBUS\\COMPORT&VID_0403&PID_6015\0"sv, "0403:6015"},
        {L"USB\\Vid_1A86&Pid_7523&Rev_0264\0"sv, "1a86:7523"},
        {L"ACPI\\PNP0501\0*PNP0501\0"sv, ""},
        {L"USB\\VID_10C4\0USB\\PID_EA60\0USB\\VID_10c4&PID_EA60\0"sv, "10c4:ea60"},
        {L"USB\\VID_12&PID_3456\0"sv, ""},
        {L""sv, ""},
    };
    for (const auto& c : ids) {
        EXPECT_EQ(UsbIdFromHardwareIds(c.hardwareIds), c.usbId);
    }
    EXPECT_EQ(SerialFromInstanceId(L"USB\\VID_0403&PID_6001\\FT5XK2"), "FT5XK2");
    EXPECT_EQ(SerialFromInstanceId(L"USB\\VID_1E2D&PID_0061&MI_00\\6&2F1A&0&0000"), "");
    EXPECT_EQ(SerialFromInstanceId(L"ACPI\\PNP0501\\1"), "");
    EXPECT_EQ(ProductFromFriendlyName(L"USB Serial Port (COM5)"), "USB Serial Port");
    EXPECT_EQ(ProductFromFriendlyName(L"Communications Port (COM12)"), "Communications Port");
    EXPECT_EQ(ProductFromFriendlyName(L"Silicon Labs CP210x (USB) (COM3)"),
              "Silicon Labs CP210x (USB)");
    EXPECT_EQ(ProductFromFriendlyName(L"Printer Port (LPT1)"), "Printer Port (LPT1)");
    EXPECT_EQ(ProductFromFriendlyName(L"Gerät (COM7)"), "Ger\xc3\xa4t");
}

class WinSerialPortTest : public ::testing::Test {
  protected:
    void SetUp() override {
        atFirstRate = PortFromEnvironment("CORVANE_PORT_115200");
        ASSERT_FALSE(atFirstRate.empty()) << "run through tests/win32/run-port-test.sh";
    }

    std::string atFirstRate;
    WinSerialPort port;
};

TEST_F(WinSerialPortTest, ModuleAnswersAtTheRateTheLineWasOpenedWith) {
    ASSERT_TRUE(port.Open(atFirstRate + ":", 115200)) << port.LastError();
    EXPECT_TRUE(port.IsOpen());
    EXPECT_EQ(Send(port, "AT\r"), 3u);
    Sleep(50);
    EXPECT_NE(Reply(port).find("OK"), std::string::npos);

    const std::optional<DCB> line = HeldLine(atFirstRate);
    ASSERT_TRUE(line);
    const DCB& held = *line;
    EXPECT_EQ(held.BaudRate, 115200u);
    EXPECT_EQ(held.ByteSize, 8);
    EXPECT_EQ(held.Parity, NOPARITY);
    EXPECT_EQ(held.StopBits, ONESTOPBIT);
    EXPECT_EQ(held.fBinary, 1u);
    EXPECT_EQ(held.fOutxCtsFlow, 0u) << "no hardware flow control";
    EXPECT_EQ(held.fOutX + held.fInX, 0u) << "no software flow control";
    EXPECT_EQ(held.XonChar, 'n');
    EXPECT_EQ(held.XoffChar, 'f');
}

TEST_F(WinSerialPortTest, OneUpdateAtATimeOnAPortWhateverItsSpelling) {
    std::string lower = atFirstRate;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return static_cast<char>(std::tolower(c)); });
    ASSERT_TRUE(port.Open(atFirstRate, 115200)) << port.LastError();
    for (const std::string& spelling : {atFirstRate + ":", "\\\\.\\" + lower}) {
        WinSerialPort second;
        EXPECT_FALSE(second.Open(spelling, 115200)) << spelling;
        EXPECT_EQ(second.LastError(), "in use by another update") << spelling;
    }
    // The lock is seen from every session, as the port is.
    const std::wstring global =
        L"Global\\corvane-update-" + std::wstring(atFirstRate.begin(), atFirstRate.end());
    const HANDLE lock = OpenMutexW(SYNCHRONIZE, FALSE, global.c_str());
    EXPECT_NE(lock, nullptr);
    if (lock != nullptr) {
        CloseHandle(lock);
    }
    port.Close();
    WinSerialPort second;
    EXPECT_TRUE(second.Open("\\\\.\\" + lower, 115200)) << "the lock goes with the port";
}

TEST_F(WinSerialPortTest, NewRateIsHeld) {
    const std::string at57600 = PortFromEnvironment("CORVANE_PORT_57600");
    ASSERT_FALSE(at57600.empty());
    ASSERT_TRUE(port.Open(at57600, 115200)) << port.LastError();
    EXPECT_EQ(Ask(port, "AT\r").find("OK"), std::string::npos) << "not heard at 115200";
    ASSERT_TRUE(port.SetRate(57600)) << port.LastError();
    EXPECT_NE(Ask(port, "AT\r").find("OK"), std::string::npos);
}

// Wine's driver runs a rate outside its table at 38400, as an adapter rounds a rate it cannot
// make: the port opens all the same, and a change to such a rate is reported and not undone.
TEST_F(WinSerialPortTest, ARoundedRateIsKeptAsTheDriverHoldsIt) {
    ASSERT_TRUE(port.Open(atFirstRate, 12345)) << port.LastError();
    EXPECT_EQ(HeldLine(atFirstRate).value_or(DCB{}).BaudRate, 38400u);
    ASSERT_TRUE(port.SetRate(115200)) << port.LastError();
    EXPECT_NE(Ask(port, "AT\r").find("OK"), std::string::npos);

    EXPECT_FALSE(port.SetRate(12345));
    EXPECT_EQ(port.LastError(), "runs at 38400 baud when asked for 12345");
    EXPECT_EQ(HeldLine(atFirstRate).value_or(DCB{}).BaudRate, 38400u);
    EXPECT_EQ(Ask(port, "AT\r").find("OK"), std::string::npos) << "not set back to 115200";
}

// A name that is no COM port is refused before anything is opened: a UNC path or a pipe on
// another host would have Windows sign on to it, and CreateFile's own failure would say so.
TEST_F(WinSerialPortTest, RefusalsAtOpenSayWhy) {
    char folder[MAX_PATH];
    ASSERT_NE(GetTempPathA(MAX_PATH, folder), 0u);
    const std::string notAComPort = "not a COM port name: give COMn, COMn: or \\\\.\\COMn";
    const struct {
        std::string device;
        std::string why;
    } cases[] = {
        {"COM199", "no such port"},
        {"//./" + atFirstRate, notAComPort},
        {"\\\\?\\" + atFirstRate, notAComPort},
        {"\\\\host\\pipe\\x", notAComPort},
        {"C:\\x", notAComPort},
        {"NUL", notAComPort},
        {folder, notAComPort},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(port.Open(c.device, 115200)) << c.device;
        EXPECT_FALSE(port.IsOpen()) << c.device;
        EXPECT_EQ(port.LastError(), c.why) << c.device;
    }
}

TEST_F(WinSerialPortTest, EmptyReadWaitsOutTheReadTimeOut) {
    ASSERT_TRUE(port.Open(atFirstRate, 115200)) << port.LastError();
    ASSERT_TRUE(port.Purge());
    constexpr int Reads = 25;
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < Reads; ++i) {
        ASSERT_FALSE(port.ReadByte().has_value());
    }
    const double each =
        std::chrono::duration<double, std::milli>(Clock::now() - start).count() / Reads;
    std::printf("an empty read took %.1f ms on average\n", each);
    EXPECT_GE(each, 15.0);
    EXPECT_LE(each, 60.0);
}

TEST_F(WinSerialPortTest, PurgeDropsWhatWasNotYetRead) {
    ASSERT_TRUE(port.Open(atFirstRate, 115200)) << port.LastError();
    Send(port, "AT\r");
    Sleep(100);
    ASSERT_TRUE(port.Purge());
    EXPECT_EQ(Reply(port), "");
}

// Wine enters the COM ports it maps in SERIALCOMM as Windows' drivers do.
TEST_F(WinSerialPortTest, TheMappedPortsAreListedAndNamedInEveryForm) {
    const std::vector<SerialPortInfo> ports = ListSerialPorts();
    const auto named = [&ports](const std::string& name) {
        return std::count_if(ports.begin(), ports.end(),
                             [&name](const SerialPortInfo& port) { return NamesPort(name, port); });
    };
    for (const std::string& port : {atFirstRate, PortFromEnvironment("CORVANE_PORT_57600")}) {
        EXPECT_EQ(named(port), 1) << port;
        EXPECT_EQ(named(port + ":"), 1) << port;
        EXPECT_EQ(named("\\\\.\\" + port), 1) << port;
    }
    EXPECT_EQ(named("COM199"), 0);
}

// Wine keeps no device in the Ports class for the ports it maps; one entered there as an
// adapter's driver enters its port stands in for a USB adapter on COM6.
class PortsClassDevice {
  public:
    explicit PortsClassDevice(const std::string& portName)
        : devices(SetupDiCreateDeviceInfoList(&GUID_DEVCLASS_PORTS, nullptr)) {
        device.cbSize = sizeof device;
        entered =
            devices != INVALID_HANDLE_VALUE &&
            SetupDiCreateDeviceInfoW(devices, L"Ports", &GUID_DEVCLASS_PORTS, nullptr, nullptr,
                                     DICD_GENERATE_ID, &device) &&
            SetupDiRegisterDeviceInfo(devices, &device, 0, nullptr, nullptr, nullptr) &&
            Set(SPDRP_HARDWAREID, L"USB\\VID_0403&PID_6001&REV_0600\0USB\\VID_0403&PID_6001\0"sv) &&
            Set(SPDRP_FRIENDLYNAME, L"USB Serial Port (" + Wide(portName) + L")") &&
            Set(SPDRP_MFG, L"FTDI") && Set(SPDRP_SERVICE, L"FTSER2K") && SetPortName(portName);
    }
    ~PortsClassDevice() {
        if (devices != INVALID_HANDLE_VALUE) {
            SetupDiRemoveDevice(devices, &device);
            SetupDiDestroyDeviceInfoList(devices);
        }
    }
    bool entered = false;

  private:
    static std::wstring Wide(const std::string& text) { return {text.begin(), text.end()}; }
    // A text's bytes with its final zero, as the system keeps it.
    bool Set(DWORD property, std::wstring_view text) {
        const std::wstring value(text);
        return SetupDiSetDeviceRegistryPropertyW(
            devices, &device, property, reinterpret_cast<const BYTE*>(value.c_str()),
            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
    bool SetPortName(const std::string& portName) {
        const HKEY key = SetupDiCreateDevRegKeyW(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV,
                                                 nullptr, nullptr);
        if (key == INVALID_HANDLE_VALUE) {
            return false;
        }
        const std::wstring name = Wide(portName);
        const LSTATUS status =
            RegSetValueExW(key, L"PortName", 0, REG_SZ, reinterpret_cast<const BYTE*>(name.c_str()),
                           static_cast<DWORD>((name.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
        return status == ERROR_SUCCESS;
    }

    HDEVINFO devices;
    SP_DEVINFO_DATA device{};
};

TEST_F(WinSerialPortTest, APortOfThePortsClassIsListedOnceWithWhatTheSystemSaysOfIt) {
    const std::string adapterPort = PortFromEnvironment("CORVANE_PORT_57600");
    const PortsClassDevice adapter(adapterPort);
    ASSERT_TRUE(adapter.entered) << GetLastError();
    const std::vector<SerialPortInfo> ports = ListSerialPorts();
    const SerialPortInfo described{.device = adapterPort,
                                   .usbId = "0403:6001",
                                   .manufacturer = "FTDI",
                                   .product = "USB Serial Port",
                                   .driver = "FTSER2K"};
    EXPECT_EQ(std::count(ports.begin(), ports.end(), described), 1);
    EXPECT_EQ(std::count_if(ports.begin(), ports.end(),
                            [&adapterPort](const SerialPortInfo& port) {
                                return port.device == adapterPort;
                            }),
              1);
    EXPECT_TRUE(std::is_sorted(ports.begin(), ports.end(),
                               [](const SerialPortInfo& a, const SerialPortInfo& b) {
                                   return PortNameBefore(a.device, b.device);
                               }));
}

}  // namespace
}  // namespace corvane::platform::win32
