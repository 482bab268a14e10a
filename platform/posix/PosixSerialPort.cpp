#include "platform/posix/PosixSerialPort.h"

// The kernel's own termios record carries the rate as a number (termios2): the only way to set
// a rate outside the standard table and to read back the rate a driver really holds. It
// clashes with <termios.h>, which must not be included here.
#include <asm/termbits.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <utility>

#include "platform/RateText.h"
#include "platform/posix/DeviceHolders.h"
#include "platform/posix/PortErrorText.h"
#include "platform/posix/SystemClock.h"
#include "platform/posix/TerminalDevice.h"

namespace corvane::platform::posix {

namespace {

// The line's time-outs, in milliseconds: an empty one-byte read ends after PerByte + Constant,
// a write of n bytes is given PerByte x n + Constant.
constexpr uint32_t TimeoutPerByte = 10;
constexpr uint32_t TimeoutConstant = 10;

constexpr std::array<std::pair<uint32_t, tcflag_t>, 30> StandardRates{{
    {50, B50},           {75, B75},           {110, B110},         {134, B134},
    {150, B150},         {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000},
}};

tcflag_t SpeedFlag(uint32_t rate) {
    for (const auto& [standard, flag] : StandardRates) {
        if (standard == rate) {
            return flag;
        }
    }
    return BOTHER;
}

template <typename Argument>
int RetryIoctl(int fd, unsigned long request, Argument argument) {
    int result;
    do {
        result = ioctl(fd, request, argument);
    } while (result < 0 && errno == EINTR);
    return result;
}

// A raw 8N1 line at the rate: no echo, no line editing, no output processing, no flow control,
// modem status ignored. No HUPCL: DTR is the module's reset line, and closing the port must not
// pull it.
termios2 RawLine(uint32_t rate) {
    termios2 tio{};
    tio.c_cflag = CREAD | CLOCAL | CS8 | SpeedFlag(rate);
    tio.c_ispeed = rate;
    tio.c_ospeed = rate;
    // VMIN = 1, VTIME = 0: on the non-blocking descriptor an empty read fails with EAGAIN, and
    // only a hung-up line reads as end of file (with VMIN = 0 both would read 0 bytes).
    tio.c_cc[VMIN] = 1;
    return tio;
}

// " (pid N)" of the process holding the device's lock, as /proc/locks tells it; empty when it
// cannot tell.
std::string LockHolder(int descriptor) {
    struct stat device {};
    std::ifstream locks("/proc/locks");
    if (fstat(descriptor, &device) != 0 || !locks) {
        return "";
    }
    char wanted[64];
    std::snprintf(wanted, sizeof wanted, "%02x:%02x:%llu", major(device.st_dev),
                  minor(device.st_dev), static_cast<unsigned long long>(device.st_ino));
    // "1: FLOCK  ADVISORY  WRITE 812 00:05:3 0 EOF"
    for (std::string line; std::getline(locks, line);) {
        std::istringstream fields(line);
        std::string number, kind, mode, access, pid, file;
        fields >> number >> kind >> mode >> access >> pid >> file;
        if (kind == "FLOCK" && file == wanted) {
            return " (pid " + pid + ")";
        }
    }
    return "";
}

uint64_t DeadlineAfter(size_t bytes) {
    return MonotonicMilliseconds() + uint64_t{TimeoutPerByte} * bytes + TimeoutConstant;
}

void SleepUntil(uint64_t deadline) {
    const uint64_t now = MonotonicMilliseconds();
    if (now < deadline) {
        SleepMilliseconds(deadline - now);
    }
}

}  // namespace

PosixSerialPort::PosixSerialPort() = default;

PosixSerialPort::~PosixSerialPort() {
    Close();
}

bool PosixSerialPort::Open(const std::string& device, uint32_t rate) {
    Close();
    lastError.clear();
    // What the device is, asked of a descriptor that can neither read nor write: opening some
    // devices for that does something by itself (a watchdog starts counting).
    int node;
    do {
        node = open(device.c_str(), O_PATH | O_CLOEXEC);
    } while (node < 0 && errno == EINTR);
    if (node < 0) {
        lastError = DescribePortOpenError(errno);
        return false;
    }
    struct stat checked {};
    if (fstat(node, &checked) != 0 || !S_ISCHR(checked.st_mode) || !IsTerminal(checked.st_rdev)) {
        // A regular file, a directory, /dev/null and the like.
        lastError = DescribePortOpenError(ENOTTY);
    } else {
        lastError = ConsoleRefusal(checked.st_rdev);
    }
    // Opened through the checked descriptor, not by name again: the name may lead elsewhere by
    // now. Non-blocking, so that opening does not wait for a carrier the module never raises.
    const std::string reopened = "/proc/self/fd/" + std::to_string(node);
    int descriptor = -1;
    while (lastError.empty() &&
           (descriptor = open(reopened.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK)) < 0 &&
           errno == EINTR) {
    }
    if (lastError.empty() && descriptor < 0) {
        lastError = DescribePortOpenError(errno);
    }
    close(node);
    if (!lastError.empty()) {
        return false;
    }
    auto settings = std::make_unique<termios2>();
    if (RetryIoctl(descriptor, TCGETS2, settings.get()) != 0) {
        lastError = DescribePortOpenError(errno == EINVAL ? ENOTTY : errno);
        close(descriptor);
        return false;
    }
    // One update per port: two on one line would interleave their commands. Advisory, so that
    // it binds only programs that ask, and gone with the descriptor however the program ends.
    if (flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        lastError = "in use by another update" + LockHolder(descriptor);
        close(descriptor);
        return false;
    }
    fd = descriptor;
    found = std::move(settings);
    // A rate that the driver takes but rounds is no reason to refuse the port: the module may
    // well answer at it, and the rate search asks the module.
    if (!ApplyLine(rate)) {
        Close();
        return false;
    }
    // DTR stays low until the module is reset; RTS is raised as a driver's line setup raises it.
    SetDtr(false);
    SetRts(true);
    return true;
}

void PosixSerialPort::Close() {
    if (fd >= 0) {
        // As terminal programs do, the line is left as it was found; but without a hang-up on
        // close, which would pull DTR, the module's reset line.
        found->c_cflag &= ~static_cast<tcflag_t>(HUPCL);
        RetryIoctl(fd, TCSETS2, found.get());
        close(fd);  // not retried on EINTR: the descriptor is gone either way on Linux
        fd = -1;
    }
}

bool PosixSerialPort::SetRate(uint32_t rate) {
    if (fd < 0 || !ApplyLine(rate)) {
        return false;
    }
    termios2 held{};
    if (RetryIoctl(fd, TCGETS2, &held) != 0) {
        lastError = "does not tell the rate it runs at";
        return false;
    }
    // A driver that rounds the rate runs at its own, and stays there.
    if (held.c_ospeed != rate) {
        lastError = RoundedRateText(rate, held.c_ospeed);
        return false;
    }
    return true;
}

bool PosixSerialPort::ApplyLine(uint32_t rate) {
    termios2 wanted = RawLine(rate);
    // Rate 0 would hang the line up.
    if (rate == 0 || RetryIoctl(fd, TCSETS2, &wanted) != 0) {
        lastError = RefusedRateText(rate);
        return false;
    }
    return true;
}

bool PosixSerialPort::SetDtr(bool high) {
    return SetModemLine(TIOCM_DTR, high);
}

bool PosixSerialPort::SetRts(bool high) {
    return SetModemLine(TIOCM_RTS, high);
}

bool PosixSerialPort::Purge() {
    return fd >= 0 && RetryIoctl(fd, TCFLSH, TCIOFLUSH) == 0;
}

size_t PosixSerialPort::Write(std::span<const uint8_t> bytes) {
    if (fd < 0) {
        return 0;
    }
    const uint64_t deadline = DeadlineAfter(bytes.size());
    size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + written, bytes.size() - written);
        if (n > 0) {
            written += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if ((n < 0 && errno != EAGAIN) || !WaitFor(POLLOUT, deadline)) {
            break;
        }
    }
    return written;
}

std::optional<uint8_t> PosixSerialPort::ReadByte() {
    if (fd < 0) {
        return std::nullopt;
    }
    const uint64_t deadline = DeadlineAfter(1);
    for (;;) {
        uint8_t byte = 0;
        const ssize_t n = ::read(fd, &byte, 1);
        if (n == 1) {
            return byte;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n == 0 || errno != EAGAIN) {
            // End of file or an error: the line is gone. Spend the time-out all the same.
            SleepUntil(deadline);
            return std::nullopt;
        }
        if (!WaitFor(POLLIN, deadline)) {
            return std::nullopt;
        }
    }
}

std::vector<PortHolder> PosixSerialPort::OtherHolders(const std::string& device) const {
    return ProcessesHolding(device);
}

bool PosixSerialPort::WaitFor(short events, uint64_t deadline) const {
    for (;;) {
        const uint64_t now = MonotonicMilliseconds();
        if (now >= deadline) {
            return false;
        }
        pollfd watched{.fd = fd, .events = events, .revents = 0};
        const int ready =
            poll(&watched, 1, static_cast<int>(std::min<uint64_t>(deadline - now, INT_MAX)));
        if (ready > 0) {
            return true;
        }
        if (ready < 0 && errno != EINTR) {
            return false;
        }
    }
}

bool PosixSerialPort::SetModemLine(int line, bool high) {
    if (fd < 0) {
        return false;
    }
    if (RetryIoctl(fd, high ? TIOCMBIS : TIOCMBIC, &line) == 0) {
        return true;
    }
    // ENOTTY/EINVAL: the line has no modem-control lines to drive (a pseudo-terminal).
    return errno == ENOTTY || errno == EINVAL;
}

}  // namespace corvane::platform::posix
