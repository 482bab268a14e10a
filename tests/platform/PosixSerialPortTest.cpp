#include "platform/posix/PosixSerialPort.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/posix/SystemClock.h"
#include "sim/PseudoTerminal.h"
#include "tests/platform/SignalStorm.h"

namespace corvane::platform {

// Found by the test's failure messages through the type's own namespace.
void PrintTo(const PortHolder& holder, std::ostream* out) {
    *out << holder.program << " (pid " << holder.pid << ")";
}

namespace posix {
namespace {

class PosixSerialPortOnPty : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(pty.Open(9600, error)) << error;
        ASSERT_TRUE(port.Open(pty.SlavePath(), 115200));
    }

    // The module's side sends; the bytes reach the port's input queue within milliseconds.
    void ToPort(const std::string& bytes) {
        ASSERT_EQ(write(pty.MasterFd(), bytes.data(), bytes.size()),
                  static_cast<ssize_t>(bytes.size()));
        SleepMilliseconds(10);
    }

    std::string ReadUntilEmpty() {
        std::string bytes;
        while (const std::optional<uint8_t> byte = port.ReadByte()) {
            bytes.push_back(static_cast<char>(*byte));
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
    // A descriptor open for writing, closed, would show as IN_CLOSE_WRITE: refusing a device
    // must not open it for writing first.
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, regular, IN_CLOSE_WRITE | IN_MODIFY), 0);
    PosixSerialPort port;
    const std::pair<std::string, std::string> refused[] = {
        {"/dev/null", "not a serial port"},
        {regular, "not a serial port"},
        {"/tmp", "not a serial port"},
        {"/dev/corvane-missing", "no such device"},
        {"/dev/tty", "is a console, not a serial port"},
        {"/dev/ptmx", "is a console, not a serial port"},
    };
    for (const auto& [path, reason] : refused) {
        EXPECT_FALSE(port.Open(path, 115200)) << path;
        EXPECT_FALSE(port.IsOpen()) << path;
        EXPECT_EQ(port.LastError(), reason) << path;
    }
    char event[sizeof(inotify_event) + NAME_MAX + 1];
    EXPECT_EQ(read(watch, event, sizeof event), -1) << "the regular file was opened for writing";
    close(watch);
    std::remove(regular);
    EXPECT_EQ(port.ReadByte(), std::nullopt) << "a closed port reads nothing";
    EXPECT_EQ(port.Write({reinterpret_cast<const uint8_t*>("x"), 1}), 0u);

    sim::PseudoTerminal pty;
    std::string error;
    ASSERT_TRUE(pty.Open(9600, error)) << error;
    EXPECT_FALSE(port.Open(pty.SlavePath(), 0)) << "rate 0 would hang the line up";
    EXPECT_EQ(port.LastError(), "does not take the line settings at 0 baud");
    EXPECT_FALSE(port.IsOpen());
    EXPECT_TRUE(port.Open(pty.SlavePath(), 115200));
    EXPECT_EQ(port.LastError(), "") << "an open that succeeds clears the reason";
}

// The terminal the program runs in is refused by any name it has, not only as /dev/tty.
TEST(PosixSerialPortDeathTest, RefusesTheControllingTerminal) {
    sim::PseudoTerminal pty;
    std::string error;
    ASSERT_TRUE(pty.Open(9600, error)) << error;
    EXPECT_EXIT(
        {
            // A new session's leader takes the first terminal it opens as its own.
            setsid();
            const int own = open(pty.SlavePath().c_str(), O_RDWR);
            PosixSerialPort port;
            const bool refused =
                own >= 0 && tcgetsid(own) == getsid(0) && !port.Open(pty.SlavePath(), 115200) &&
                port.LastError() == "is the terminal this program runs in, not a serial port";
            std::_Exit(refused ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

// Close leaves the line as Open found it, as terminal programs do.
TEST(PosixSerialPort, CloseRestoresTheLineSettings) {
    sim::PseudoTerminal pty;
    std::string error;
    ASSERT_TRUE(pty.Open(9600, error)) << error;
    termios before{};
    ASSERT_EQ(tcgetattr(pty.MasterFd(), &before), 0);
    before.c_lflag |= ECHO | ICANON | ISIG;
    before.c_iflag |= ICRNL | IXON;
    before.c_oflag |= OPOST | ONLCR;
    ASSERT_EQ(tcsetattr(pty.MasterFd(), TCSANOW, &before), 0);
    ASSERT_EQ(tcgetattr(pty.MasterFd(), &before), 0);

    PosixSerialPort port;
    ASSERT_TRUE(port.Open(pty.SlavePath(), 115200));
    termios raw{};
    ASSERT_EQ(tcgetattr(pty.MasterFd(), &raw), 0);
    EXPECT_EQ(raw.c_lflag & (ECHO | ICANON | ISIG), 0u) << "raw while open";
    port.Close();

    termios after{};
    ASSERT_EQ(tcgetattr(pty.MasterFd(), &after), 0);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(after.c_iflag, before.c_iflag);
    EXPECT_EQ(after.c_oflag, before.c_oflag);
    EXPECT_EQ(after.c_cflag & ~HUPCL, before.c_cflag & ~HUPCL);
    EXPECT_EQ(cfgetospeed(&after), cfgetospeed(&before));
    EXPECT_EQ(after.c_cflag & HUPCL, 0u) << "closing must not pull DTR, the module's reset line";
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
    EXPECT_FALSE(port.Open(pty.SlavePath(), 115200));
    EXPECT_EQ(port.LastError(), "permission denied (is the user in the dialout group?)");

    ASSERT_EQ(chmod(pty.SlavePath().c_str(), 0600), 0);
    const int holder = open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(ioctl(holder, TIOCEXCL), 0);
    EXPECT_FALSE(port.Open(pty.SlavePath(), 115200));
    EXPECT_EQ(port.LastError(), "in use by another program that holds it exclusively");
    close(holder);
}

// `sleep` with the given descriptors as its 100, 101, ... (above any that they could overwrite).
pid_t SleepHolding(std::initializer_list<int> descriptors) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    int target = 100;
    for (const int fd : descriptors) {
        posix_spawn_file_actions_adddup2(&actions, fd, target++);
    }
    pid_t pid = -1;
    const char* const argv[] = {"sleep", "60", nullptr};
    // posix_spawnp returns once the child has run exec: its name is "sleep" by then.
    posix_spawnp(&pid, "sleep", &actions, nullptr, const_cast<char* const*>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// The port in use (this process) holds the device as well, and so does the far end (the master's
// holder, as the virtual module does): neither is another program on the line.
TEST_F(PosixSerialPortOnPty, NamesOtherProgramsThatHaveTheDeviceOpen) {
    const int slave = open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(slave, 0);
    const pid_t holder = SleepHolding({slave});
    const pid_t farEnd = SleepHolding({slave, pty.MasterFd()});
    close(slave);
    ASSERT_GT(holder, 0);
    ASSERT_GT(farEnd, 0);

    EXPECT_EQ(port.OtherHolders(pty.SlavePath()),
              (std::vector<PortHolder>{{"sleep", static_cast<uint32_t>(holder)}}));
    for (const pid_t child : {holder, farEnd}) {
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }
    EXPECT_EQ(port.OtherHolders(pty.SlavePath()), std::vector<PortHolder>{});
    EXPECT_EQ(port.OtherHolders("/dev/null"), std::vector<PortHolder>{}) << "not a terminal";
}

TEST_F(PosixSerialPortOnPty, OneUpdateAtATimeOnAPort) {
    PosixSerialPort second;
    EXPECT_FALSE(second.Open(pty.SlavePath(), 115200));
    EXPECT_EQ(second.LastError(),
              "in use by another update (pid " + std::to_string(getpid()) + ")");
    port.Close();
    EXPECT_TRUE(second.Open(pty.SlavePath(), 115200)) << "the lock goes with the port";
}

TEST_F(PosixSerialPortOnPty, RatesAreSetAndReadBackAsTheDriverHoldsThem) {
    port.Close();
    ASSERT_TRUE(port.Open(pty.SlavePath(), 123457)) << "a rate outside the table opens";
    EXPECT_EQ(pty.SlaveRate(), 123457u);
    for (const uint32_t rate : {115200u, 57600u, 19200u, 230400u, 250000u}) {
        ASSERT_TRUE(port.SetRate(rate)) << rate;
        EXPECT_EQ(pty.SlaveRate(), rate) << "what the driver holds";
    }
    EXPECT_FALSE(port.SetRate(0));
    EXPECT_EQ(pty.SlaveRate(), 250000u) << "a refused rate leaves the rate in force";
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
    ASSERT_TRUE(port.SetRate(115200));
    termios line{};
    ASSERT_EQ(tcgetattr(pty.MasterFd(), &line), 0);
    EXPECT_EQ(line.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS | HUPCL), tcflag_t{CS8});
    EXPECT_EQ(line.c_lflag & (ICANON | ECHO | ISIG), 0u);

    const std::string awkward("A\r\n\x00\x1a\x03\x11\x13\xff", 9);
    ToPort(awkward);
    EXPECT_EQ(ReadUntilEmpty(), awkward);
    EXPECT_EQ(port.Write({reinterpret_cast<const uint8_t*>(awkward.data()), 9}), 9u);
    SleepMilliseconds(10);
    std::string arrived(16, '\0');
    arrived.resize(static_cast<size_t>(
        std::max<ssize_t>(read(pty.MasterFd(), arrived.data(), arrived.size()), 0)));
    EXPECT_EQ(arrived, awkward);
}

TEST_F(PosixSerialPortOnPty, EmptyReadWaitsOutItsTimeoutEvenUnderSignals) {
    for (const bool interrupted : {false, true}) {
        std::optional<test::SignalStorm> storm;
        if (interrupted) {
            storm.emplace();
        }
        const uint64_t before = MonotonicMilliseconds();
        EXPECT_EQ(port.ReadByte(), std::nullopt);
        const uint64_t took = MonotonicMilliseconds() - before;
        EXPECT_GE(took + 1, 20u) << "returned too early";
        EXPECT_LE(took, 50u) << "overslept";
    }
}

TEST_F(PosixSerialPortOnPty, PurgeDropsPendingInputAndModemLinesAreIgnored) {
    ToPort("stale reply\r\n");
    EXPECT_TRUE(port.Purge());
    EXPECT_EQ(ReadUntilEmpty(), "");
    EXPECT_TRUE(port.SetRts(true)) << "a pty has no modem lines";
    EXPECT_TRUE(port.SetDtr(false));
    EXPECT_TRUE(port.SetDtr(true));
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
        bytes += port.ReadByte() ? 1 : 0;
        ++reads;
    }
    EXPECT_EQ(bytes, 0u);
    EXPECT_LE(reads, 30) << "each read of a dead line must still take its 20 ms";
    EXPECT_LT(ProcessCpuSeconds() - cpuBefore, 0.1) << "the reads burnt CPU";
    EXPECT_EQ(port.Write({reinterpret_cast<const uint8_t*>("AT\r"), 3}), 0u);
}

}  // namespace
}  // namespace posix
}  // namespace corvane::platform
