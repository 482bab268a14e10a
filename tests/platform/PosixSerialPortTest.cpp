#include "platform/posix/PosixSerialPort.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <optional>
#include <string>
#include <utility>

#include "platform/posix/SystemClock.h"
#include "sim/PseudoTerminal.h"
#include "tests/platform/LinkLineSettings.h"
#include "tests/platform/SignalStorm.h"

namespace corvane::platform::posix {
namespace {

constexpr uint32_t AllPurgeFlags = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;

class PosixSerialPortOnPty : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(pty.Open(9600, error)) << error;
        ASSERT_TRUE(port.Open(pty.SlavePath()));
        ASSERT_TRUE(port.SetCommState(test::LinkLineSettings(115200)));
        ASSERT_TRUE(port.SetCommTimeouts(test::LinkTimeouts));
    }

    // The module's side sends; the bytes reach the port's input queue within milliseconds.
    void ToPort(const std::string& bytes) {
        ASSERT_EQ(write(pty.MasterFd(), bytes.data(), bytes.size()),
                  static_cast<ssize_t>(bytes.size()));
        SleepMilliseconds(10);
    }

    std::string ReadUntilEmpty() {
        std::string bytes;
        uint8_t byte = 0;
        uint32_t read = 0;
        while (port.ReadFile(byte, read) && read == 1) {
            bytes.push_back(static_cast<char>(byte));
        }
        return bytes;
    }

    sim::PseudoTerminal pty;
    PosixSerialPort port;
};

TEST(PosixSerialPort, OpensOnlyTerminalsAndSaysWhyNot) {
    char regular[] = "/tmp/corvane-not-a-port-XXXXXX";
    const int fd = mkstemp(regular);
    ASSERT_GE(fd, 0);
    close(fd);
    PosixSerialPort port;
    const std::pair<std::string, std::string> refused[] = {
        {"/dev/null", "not a serial port"},
        {regular, "not a serial port"},
        {"/tmp", "not a serial port"},
        {"/dev/corvane-missing", "no such device"},
    };
    for (const auto& [path, reason] : refused) {
        EXPECT_FALSE(port.Open(path)) << path;
        EXPECT_FALSE(port.IsOpen()) << path;
        EXPECT_EQ(port.LastError(), reason) << path;
    }
    std::remove(regular);
    uint8_t byte = 0;
    uint32_t count = 0;
    EXPECT_FALSE(port.ReadFile(byte, count)) << "a closed port reads nothing";
    EXPECT_FALSE(port.WriteFile(&byte, 1, count));

    sim::PseudoTerminal pty;
    std::string error;
    ASSERT_TRUE(pty.Open(9600, error)) << error;
    EXPECT_TRUE(port.Open(pty.SlavePath()));
    EXPECT_EQ(port.LastError(), "") << "an open that succeeds clears the reason";
}

// Root opens any port whatever its mode, and in spite of another program's exclusive hold.
TEST(PosixSerialPort, SaysWhenAnotherUserOrProgramHasThePort) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "root is refused neither by the mode nor by TIOCEXCL";
    }
    sim::PseudoTerminal pty;
    std::string error;
    ASSERT_TRUE(pty.Open(9600, error)) << error;
    PosixSerialPort port;
    ASSERT_EQ(chmod(pty.SlavePath().c_str(), 0), 0);
    EXPECT_FALSE(port.Open(pty.SlavePath()));
    EXPECT_EQ(port.LastError(), "permission denied (is the user in the dialout group?)");

    ASSERT_EQ(chmod(pty.SlavePath().c_str(), 0600), 0);
    const int holder = open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(ioctl(holder, TIOCEXCL), 0);
    EXPECT_FALSE(port.Open(pty.SlavePath()));
    EXPECT_EQ(port.LastError(), "in use by another program that holds it exclusively");
    close(holder);
}

TEST_F(PosixSerialPortOnPty, RatesAreSetAndReadBackAsTheDriverHoldsThem) {
    for (const uint32_t rate : {115200u, 57600u, 19200u, 230400u, 250000u}) {
        ASSERT_TRUE(port.SetCommState(test::LinkLineSettings(rate))) << rate;
        EXPECT_EQ(pty.SlaveRate(), rate) << "what the driver holds";
        LineSettings back{};
        ASSERT_TRUE(port.GetCommState(back));
        EXPECT_EQ(back.BaudRate, rate);
        EXPECT_EQ(back.EvtChar, 'v') << "fields termios lacks come from the record applied";
    }
    EXPECT_FALSE(port.SetCommState(test::LinkLineSettings(0)));
    EXPECT_EQ(pty.SlaveRate(), 250000u) << "a refused record leaves the rate in force";
    EXPECT_EQ(port.LastError(), "does not take the line settings at 0 baud");
}

TEST_F(PosixSerialPortOnPty, LineBecomesRawAndPassesEveryByteBothWays) {
    // Spoil the line first, the way a previous user of the device may have left it.
    termios cooked{};
    ASSERT_EQ(tcgetattr(pty.MasterFd(), &cooked), 0);
    cooked.c_lflag |= ICANON | ECHO | ISIG;
    cooked.c_iflag |= ICRNL | IXON | IXOFF;
    cooked.c_oflag |= OPOST | ONLCR;
    cooked.c_cflag |= PARENB | CSTOPB | CRTSCTS | HUPCL;
    ASSERT_EQ(tcsetattr(pty.MasterFd(), TCSANOW, &cooked), 0);
    ASSERT_TRUE(port.SetCommState(test::LinkLineSettings(115200)));
    termios line{};
    ASSERT_EQ(tcgetattr(pty.MasterFd(), &line), 0);
    EXPECT_EQ(line.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS | HUPCL), tcflag_t{CS8});
    EXPECT_EQ(line.c_lflag & (ICANON | ECHO | ISIG), 0u);

    const std::string awkward("A\r\n\x00\x1a\x03\x11\x13\xff", 9);
    ToPort(awkward);
    EXPECT_EQ(ReadUntilEmpty(), awkward);
    uint32_t written = 0;
    EXPECT_TRUE(port.WriteFile(reinterpret_cast<const uint8_t*>(awkward.data()), 9, written));
    EXPECT_EQ(written, 9u);
    SleepMilliseconds(10);
    std::string arrived(16, '\0');
    arrived.resize(static_cast<size_t>(
        std::max<ssize_t>(read(pty.MasterFd(), arrived.data(), arrived.size()), 0)));
    EXPECT_EQ(arrived, awkward);
}

TEST_F(PosixSerialPortOnPty, EmptyReadWaitsOutItsTimeoutsEvenUnderSignals) {
    const struct {
        CommTimeouts timeouts;
        uint64_t expected;
        bool interrupted;
    } cases[] = {
        {test::LinkTimeouts, 20, false},
        {test::LinkTimeouts, 20, true},
        {{0, 5, 40, 0, 0}, 45, false},
        {{0, 0, 0, 0, 0}, 0, false},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(port.SetCommTimeouts(c.timeouts));
        std::optional<test::SignalStorm> storm;
        if (c.interrupted) {
            storm.emplace();
        }
        uint8_t byte = 0;
        uint32_t read = 1;
        const uint64_t before = MonotonicMilliseconds();
        EXPECT_TRUE(port.ReadFile(byte, read));
        const uint64_t took = MonotonicMilliseconds() - before;
        EXPECT_EQ(read, 0u);
        EXPECT_GE(took + 1, c.expected) << "returned too early";
        EXPECT_LE(took, c.expected + 30) << "overslept";
    }
}

TEST_F(PosixSerialPortOnPty, PurgeDropsPendingInputAndModemLinesAreIgnored) {
    ToPort("stale reply\r\n");
    EXPECT_TRUE(port.PurgeComm(AllPurgeFlags));
    EXPECT_EQ(ReadUntilEmpty(), "");
    for (const auto function :
         {EscapeFunction::SETRTS, EscapeFunction::CLRDTR, EscapeFunction::SETDTR}) {
        EXPECT_TRUE(port.EscapeCommFunction(function)) << "a pty has no modem lines";
    }
    ToPort("fresh");
    EXPECT_EQ(ReadUntilEmpty(), "fresh");
}

double ProcessCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

TEST_F(PosixSerialPortOnPty, HungUpLineFailsWithoutSpinning) {
    pty.HangUp();
    const double cpuBefore = ProcessCpuSeconds();
    const uint64_t before = MonotonicMilliseconds();
    int reads = 0;
    uint32_t bytes = 0;
    while (MonotonicMilliseconds() - before < 500) {
        uint8_t byte = 0;
        uint32_t read = 0;
        port.ReadFile(byte, read);
        bytes += read;
        ++reads;
    }
    EXPECT_EQ(bytes, 0u);
    EXPECT_LE(reads, 30) << "each read of a dead line must still take its 20 ms";
    EXPECT_LT(ProcessCpuSeconds() - cpuBefore, 0.1) << "the reads burnt CPU";
    uint32_t written = 0;
    EXPECT_FALSE(port.WriteFile(reinterpret_cast<const uint8_t*>("AT\r"), 3, written));
}

}  // namespace
}  // namespace corvane::platform::posix
