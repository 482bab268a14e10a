#include "platform/posix/PosixSerialPort.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>

#include "platform/posix/PortErrorText.h"
#include "platform/posix/SystemClock.h"
#include "platform/posix/TermiosMapping.h"

namespace corvane::platform::posix {

namespace {

template <typename Argument>
int RetryIoctl(int fd, unsigned long request, Argument argument) {
    int result;
    do {
        result = ioctl(fd, request, argument);
    } while (result < 0 && errno == EINTR);
    return result;
}

uint64_t DeadlineAfter(uint32_t multiplier, uint32_t count, uint32_t constant) {
    return MonotonicMilliseconds() + uint64_t{multiplier} * count + constant;
}

void SleepUntil(uint64_t deadline) {
    const uint64_t now = MonotonicMilliseconds();
    if (now < deadline) {
        SleepMilliseconds(deadline - now);
    }
}

}  // namespace

PosixSerialPort::~PosixSerialPort() {
    Close();
}

bool PosixSerialPort::Open(const std::string& deviceName) {
    Close();
    lastError.clear();
    // Non-blocking, so that opening does not wait for a carrier the module never raises.
    int descriptor;
    do {
        descriptor = open(deviceName.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    } while (descriptor < 0 && errno == EINTR);
    if (descriptor < 0) {
        lastError = DescribePortOpenError(errno);
        return false;
    }
    termios2 tio{};
    if (RetryIoctl(descriptor, TCGETS2, &tio) != 0) {
        // A regular file, /dev/null and the like open, but are no terminal.
        lastError = DescribePortOpenError(errno == EINVAL ? ENOTTY : errno);
        close(descriptor);
        return false;
    }
    fd = descriptor;
    timeouts = {};
    applied = {};
    lineControlApplied = false;
    return true;
}

void PosixSerialPort::Close() {
    if (fd >= 0) {
        close(fd);  // not retried on EINTR: the descriptor is gone either way on Linux
        fd = -1;
    }
}

bool PosixSerialPort::SetCommState(const LineSettings& settings) {
    termios2 previous{};
    if (fd < 0 || RetryIoctl(fd, TCGETS2, &previous) != 0) {
        return false;
    }
    termios2 wanted = previous;
    const auto refuse = [this, &settings] {
        lastError =
            "does not take the line settings at " + std::to_string(settings.BaudRate) + " baud";
        return false;
    };
    if (!ToTermios(settings, wanted) || RetryIoctl(fd, TCSETS2, &wanted) != 0) {
        return refuse();
    }
    termios2 held{};
    if (RetryIoctl(fd, TCGETS2, &held) != 0 || held.c_ospeed != settings.BaudRate) {
        RetryIoctl(fd, TCSETS2, &previous);
        return refuse();
    }
    ApplyLineControl(settings);
    applied = settings;
    return true;
}

bool PosixSerialPort::GetCommState(LineSettings& settings) {
    termios2 tio{};
    if (fd < 0 || RetryIoctl(fd, TCGETS2, &tio) != 0) {
        return false;
    }
    settings = applied;
    FromTermios(tio, settings);
    return true;
}

bool PosixSerialPort::SetCommTimeouts(const CommTimeouts& newTimeouts) {
    if (fd < 0) {
        return false;
    }
    timeouts = newTimeouts;
    return true;
}

bool PosixSerialPort::EscapeCommFunction(EscapeFunction function) {
    switch (function) {
        case EscapeFunction::SETRTS:
            return SetModemLine(TIOCM_RTS, true);
        case EscapeFunction::SETDTR:
            return SetModemLine(TIOCM_DTR, true);
        case EscapeFunction::CLRDTR:
            return SetModemLine(TIOCM_DTR, false);
    }
    return false;
}

bool PosixSerialPort::PurgeComm(uint32_t flags) {
    if (fd < 0) {
        return false;
    }
    const bool input = (flags & (PURGE_RXABORT | PURGE_RXCLEAR)) != 0;
    const bool output = (flags & (PURGE_TXABORT | PURGE_TXCLEAR)) != 0;
    if (!input && !output) {
        return true;
    }
    const int queues = input && output ? TCIOFLUSH : (input ? TCIFLUSH : TCOFLUSH);
    return RetryIoctl(fd, TCFLSH, queues) == 0;
}

bool PosixSerialPort::WriteFile(const uint8_t* bytes, uint32_t count, uint32_t& written) {
    written = 0;
    if (fd < 0) {
        return false;
    }
    const uint64_t deadline = DeadlineAfter(timeouts.WriteTotalTimeoutMultiplier, count,
                                            timeouts.WriteTotalTimeoutConstant);
    while (written < count) {
        const ssize_t n = write(fd, bytes + written, count - written);
        if (n > 0) {
            written += static_cast<uint32_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno != EAGAIN) {
            return false;
        }
        if (!WaitFor(POLLOUT, deadline)) {
            break;
        }
    }
    return true;
}

bool PosixSerialPort::ReadFile(uint8_t& byte, uint32_t& read) {
    read = 0;
    if (fd < 0) {
        return false;
    }
    const uint64_t deadline =
        DeadlineAfter(timeouts.ReadTotalTimeoutMultiplier, 1, timeouts.ReadTotalTimeoutConstant);
    for (;;) {
        const ssize_t n = ::read(fd, &byte, 1);
        if (n == 1) {
            read = 1;
            return true;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n == 0 || errno != EAGAIN) {
            // End of file or an error: the line is gone. Spend the time-out all the same.
            SleepUntil(deadline);
            return false;
        }
        if (!WaitFor(POLLIN, deadline)) {
            return true;
        }
    }
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

void PosixSerialPort::ApplyLineControl(const LineSettings& settings) {
    // The record's control modes drive DTR and RTS, as a Windows driver does, but only when a
    // mode changes (or first after open): applying the record again for a new rate must never
    // move DTR, the module's reset line.
    if (!lineControlApplied || settings.fDtrControl != applied.fDtrControl) {
        SetModemLine(TIOCM_DTR, settings.fDtrControl == DTR_CONTROL_ENABLE);
    }
    if (settings.fRtsControl != RTS_CONTROL_HANDSHAKE &&
        (!lineControlApplied || settings.fRtsControl != applied.fRtsControl)) {
        SetModemLine(TIOCM_RTS, settings.fRtsControl == RTS_CONTROL_ENABLE);
    }
    lineControlApplied = true;
}

}  // namespace corvane::platform::posix
