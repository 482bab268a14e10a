// The Windows serial port against virtual modules on pseudo-terminals that Wine maps to COM
// ports (run-port-test.sh sets them up). Each environment variable names one port:
//   CORVANE_PORT_115200  a module that answers only at 115200
//   CORVANE_PORT_57600   a module that answers only at 57600

#include <gtest/gtest.h>
#include <windows.h>

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
#include "platform/win32/WinSerialPort.h"

namespace corvane::platform::win32 {
namespace {

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

}  // namespace
}  // namespace corvane::platform::win32
