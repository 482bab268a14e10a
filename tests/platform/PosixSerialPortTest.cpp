#include "platform/posix/PosixSerialPort.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <optional>
#include <string>

#include "platform/posix/SystemClock.h"
#include "sim/PseudoTerminal.h"
#include "tests/platform/LinkLineSettings.h"
#include "tests/platform/SignalStorm.h"

namespace corvane::platform::posix {
namespace {

using test::LinkLineSettings;
using test::LinkTimeouts;

constexpr uint32_t AllPurgeFlags = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;

class PosixSerialPortOnPty : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(pty.Open(9600, error)) << error;
        ASSERT_TRUE(port.Open(pty.SlavePath()));
        ASSERT_TRUE(port.SetCommState(LinkLineSettings(115200)));
        ASSERT_TRUE(port.SetCommTimeouts(LinkTimeouts));
    }

    void ToPort(const std::string& bytes) {
        ASSERT_EQ(write(pty.MasterFd(), bytes.data(), bytes.size()),
                  static_cast<ssize_t>(bytes.size()));
        pollfd ready{.fd = pty.MasterFd(), .events = POLLOUT, .revents = 0};
        poll(&ready, 1, 50);
        SleepMilliseconds(5);  // let the line discipline hand the bytes to the slave
    }

    std::string FromPort() {
        std::string bytes;
        pollfd ready{.fd = pty.MasterFd(), .events = POLLIN, .revents = 0};
        char chunk[256];
        while (poll(&ready, 1, 50) > 0) {
            const ssize_t n = read(pty.MasterFd(), chunk, sizeof chunk);
            if (n <= 0) {
                break;
            }
            bytes.append(chunk, static_cast<size_t>(n));
        }
        return bytes;
    }

    std::string ReadAll() {
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

TEST(PosixSerialPort, OpensOnlyTerminals) {
    char regular[] = "/tmp/corvane-not-a-port-XXXXXX";
    const int fd = mkstemp(regular);
    ASSERT_GE(fd, 0);
    close(fd);

    PosixSerialPort port;
    for (const std::string& path :
         {std::string("/dev/null"), std::string(regular), std::string("/dev/corvane-missing")}) {
        EXPECT_FALSE(port.Open(path)) << path;
        EXPECT_FALSE(port.IsOpen()) << path;
    }
    std::remove(regular);

    uint8_t byte = 0;
    uint32_t count = 0;
    EXPECT_FALSE(port.ReadFile(byte, count));
    EXPECT_FALSE(port.WriteFile(&byte, 1, count));
    EXPECT_FALSE(port.SetCommState(LinkLineSettings(115200)));
    EXPECT_FALSE(port.PurgeComm(AllPurgeFlags));
}

TEST_F(PosixSerialPortOnPty, RatesAreSetAndReadBackAsTheDriverHoldsThem) {
    for (const uint32_t rate : {115200u, 57600u, 19200u, 230400u, 250000u}) {
        ASSERT_TRUE(port.SetCommState(LinkLineSettings(rate))) << rate;
        EXPECT_EQ(pty.SlaveRate(), rate) << "what the driver holds";
        LineSettings back{};
        ASSERT_TRUE(port.GetCommState(back));
        EXPECT_EQ(back.BaudRate, rate);
    }
    EXPECT_FALSE(port.SetCommState(LinkLineSettings(0)));
    EXPECT_EQ(pty.SlaveRate(), 250000u) << "a refused record leaves the rate in force";
}

TEST_F(PosixSerialPortOnPty, GetCommStateReportsTheRecordAsApplied) {
    LineSettings back{};
    ASSERT_TRUE(port.GetCommState(back));
    const LineSettings sent = LinkLineSettings(115200);
    EXPECT_EQ(back.DCBlength, 28u);
    EXPECT_EQ(back.fBinary, 1u);
    EXPECT_EQ(back.fDtrControl, DTR_CONTROL_DISABLE);
    EXPECT_EQ(back.fRtsControl, RTS_CONTROL_ENABLE);
    EXPECT_EQ(back.ByteSize, 8);
    EXPECT_EQ(back.Parity, NOPARITY);
    EXPECT_EQ(back.StopBits, ONESTOPBIT);
    EXPECT_EQ(back.fOutxCtsFlow | back.fOutX | back.fInX | back.fParity, 0u);
    EXPECT_EQ(back.XonChar, sent.XonChar);
    EXPECT_EQ(back.XoffChar, sent.XoffChar);
    EXPECT_EQ(back.ErrorChar, sent.ErrorChar);
    EXPECT_EQ(back.EvtChar, sent.EvtChar);
}

TEST_F(PosixSerialPortOnPty, LineBecomesRawEightNoneOneWithoutFlowControl) {
    // Spoil the line first, the way a previous user of the device may have left it.
    termios cooked{};
    ASSERT_EQ(tcgetattr(pty.MasterFd(), &cooked), 0);
    cooked.c_lflag |= ICANON | ECHO | ISIG;
    cooked.c_iflag |= ICRNL | IXON | IXOFF;
    cooked.c_oflag |= OPOST | ONLCR;
    cooked.c_cflag |= PARENB | CSTOPB | CRTSCTS | HUPCL;
    ASSERT_EQ(tcsetattr(pty.MasterFd(), TCSANOW, &cooked), 0);

    ASSERT_TRUE(port.SetCommState(LinkLineSettings(115200)));
    termios line{};
    ASSERT_EQ(tcgetattr(pty.MasterFd(), &line), 0);
    EXPECT_EQ(line.c_cflag & CSIZE, tcflag_t{CS8});
    EXPECT_EQ(line.c_cflag & (PARENB | CSTOPB | CRTSCTS | HUPCL), 0u);
    EXPECT_EQ(line.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(line.c_iflag & (ICRNL | IXON | IXOFF), 0u);
    EXPECT_EQ(line.c_oflag & OPOST, 0u);

    // And the bytes that cooked mode would have changed pass untouched both ways.
    const std::string awkward("A\r\n\x00\x1a\x03\x11\x13\xff", 9);
    ToPort(awkward);
    EXPECT_EQ(ReadAll(), awkward);
    uint32_t written = 0;
    EXPECT_TRUE(port.WriteFile(reinterpret_cast<const uint8_t*>(awkward.data()),
                               static_cast<uint32_t>(awkward.size()), written));
    EXPECT_EQ(written, awkward.size());
    EXPECT_EQ(FromPort(), awkward);
}

TEST_F(PosixSerialPortOnPty, EmptyReadWaitsOutItsTimeoutsEvenUnderSignals) {
    const struct {
        CommTimeouts timeouts;
        uint64_t expected;
        bool interrupted;
    } cases[] = {
        {LinkTimeouts, 20, false},
        {LinkTimeouts, 20, true},
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

TEST_F(PosixSerialPortOnPty, WaitingByteIsReadAtOnce) {
    ToPort("Z");
    uint8_t byte = 0;
    uint32_t read = 0;
    const uint64_t before = MonotonicMilliseconds();
    ASSERT_TRUE(port.ReadFile(byte, read));
    EXPECT_LT(MonotonicMilliseconds() - before, 5u);
    EXPECT_EQ(read, 1u);
    EXPECT_EQ(byte, 'Z');
}

TEST_F(PosixSerialPortOnPty, PurgeDropsPendingInput) {
    ToPort("stale reply\r\n");
    EXPECT_TRUE(port.PurgeComm(AllPurgeFlags));
    EXPECT_EQ(ReadAll(), "");
    ToPort("fresh");
    EXPECT_EQ(ReadAll(), "fresh");
}

TEST_F(PosixSerialPortOnPty, ModemLinesAreIgnoredWithoutError) {
    for (const auto function :
         {EscapeFunction::SETRTS, EscapeFunction::CLRDTR, EscapeFunction::SETDTR}) {
        EXPECT_TRUE(port.EscapeCommFunction(function)) << static_cast<int>(function);
    }
}

TEST_F(PosixSerialPortOnPty, ReopensAfterClose) {
    port.Close();
    EXPECT_FALSE(port.IsOpen());
    ASSERT_TRUE(port.Open(pty.SlavePath()));
    ASSERT_TRUE(port.SetCommState(LinkLineSettings(57600)));
    ASSERT_TRUE(port.SetCommTimeouts(LinkTimeouts));
    ToPort("again");
    EXPECT_EQ(ReadAll(), "again");
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
    int bytes = 0;
    while (MonotonicMilliseconds() - before < 500) {
        uint8_t byte = 0;
        uint32_t read = 0;
        port.ReadFile(byte, read);
        bytes += static_cast<int>(read);
        ++reads;
    }
    const double cpu = ProcessCpuSeconds() - cpuBefore;
    EXPECT_EQ(bytes, 0);
    EXPECT_LE(reads, 30) << "each read of a dead line must still take its 20 ms";
    EXPECT_LT(cpu, 0.1) << "the reads burnt CPU";

    const uint8_t at[] = {'A', 'T', '\r'};
    uint32_t written = 0;
    EXPECT_FALSE(port.WriteFile(at, 3, written));
}

}  // namespace
}  // namespace corvane::platform::posix
