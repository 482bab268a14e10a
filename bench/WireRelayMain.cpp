// corvane-wire: a serial line with wire time, for measuring a program against a virtual module
// that sits on a pseudo-terminal (where bytes otherwise move instantly, whatever the rate).
//
//     corvane-wire [--answers-at-once] [--hold-us US] MODULE_DEVICE
//
// Opens a pseudo-terminal of its own, prints the device path for the program to open as the
// first line on stdout, and relays bytes both ways until stdin closes (a signal simply ends
// it: there is nothing to save). Each direction is paced like a UART: ten bit times per byte at
// the rate the program has set on its port. The module's port is switched to that rate before
// bytes reach it, so a module that only understands its own rate hears a wrong one as such.
//
// --answers-at-once is for a virtual module set to answer without delay: whatever it sends is
// put on the line at the time the last byte it was given arrived, not when the relay read it.
// A real module's echo leaves as the byte comes in; the virtual one runs as a process that
// waits for a CPU for every byte, and on a busy machine those waits would otherwise pile up on
// the line as if the module were slow. Bytes still reach the program no earlier than the
// module sent them.
//
// --hold-us lets a byte that has arrived wait up to US microseconds for those behind it, so that
// they are passed on together, as a UART's receive FIFO or a USB adapter does; the last byte on
// the wire is passed on when it arrives. Without it every byte is passed on alone: some ten
// thousand wake-ups a second per direction at 115200, which many relays on a small machine
// cannot keep up with.

#include <asm/termbits.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <ctime>
#include <iostream>
#include <string>
#include <string_view>

#include "bench/PacedChannel.h"
#include "sim/PseudoTerminal.h"

namespace {

using corvane::bench::PacedChannel;

constexpr uint32_t InitialRate = 115200;

uint64_t NowNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1'000'000'000u + static_cast<uint64_t>(now.tv_nsec);
}

void SetRate(int fd, uint32_t rate) {
    termios2 tio{};
    if (rate == 0 || ioctl(fd, TCGETS2, &tio) != 0 || tio.c_ospeed == rate) {
        return;
    }
    tio.c_cflag = (tio.c_cflag & ~CBAUD) | BOTHER;
    tio.c_ispeed = rate;
    tio.c_ospeed = rate;
    ioctl(fd, TCSETS2, &tio);
}

// Where bytes leave the relay, and the line that brings them there.
struct Destination {
    int fd;
    bool followsRate;  // the module's port takes on the rate each byte was sent at
    PacedChannel line{};
    bool blocked = false;  // the last write found no room: wait until the descriptor takes more
    uint64_t lastArrivalNs = 0;  // of the last byte passed on
};

void Deliver(Destination& to, uint64_t nowNs) {
    std::array<uint8_t, 4096> chunk{};
    to.blocked = false;
    for (;;) {
        uint32_t rate = 0;
        const size_t count = to.line.Arrived(nowNs, chunk, rate);
        if (count == 0) {
            return;
        }
        if (to.followsRate) {
            SetRate(to.fd, rate);
        }
        const ssize_t written = write(to.fd, chunk.data(), count);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written < 0 && errno == EAGAIN) {
            to.blocked = true;
            return;
        }
        // A hung-up descriptor loses what reaches it, like a pulled cable.
        to.lastArrivalNs = to.line.Consume(written > 0 ? static_cast<size_t>(written) : count);
    }
}

// Reads what is waiting on fd and puts it on the line towards `to` at the rate in force, as
// sent at sentNs. False when fd has nothing more to give.
bool Pickup(int fd, Destination& to, uint32_t rate, uint64_t sentNs) {
    std::array<uint8_t, 4096> chunk{};
    const ssize_t n = read(fd, chunk.data(), chunk.size());
    if (n > 0) {
        to.line.Send(std::span(chunk.data(), static_cast<size_t>(n)), rate, sentNs);
        return true;
    }
    return n < 0 && (errno == EINTR || errno == EAGAIN);
}

bool ParseMicroseconds(std::string_view text, uint64_t& ns) {
    uint64_t us = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), us);
    ns = us * 1000u;
    return error == std::errc() && end == text.data() + text.size() && us < UINT32_MAX;
}

timespec Timeout(const Destination& a, const Destination& b, uint64_t holdNs, uint64_t nowNs,
                 bool& forever) {
    uint64_t next = UINT64_MAX;
    for (const Destination* to : {&a, &b}) {
        if (!to->blocked && to->line.NextArrival()) {
            next = std::min({next, *to->line.NextArrival() + holdNs, *to->line.LastArrival()});
        }
    }
    forever = next == UINT64_MAX;
    const uint64_t wait = forever || next <= nowNs ? 0 : next - nowNs;
    return {.tv_sec = static_cast<time_t>(wait / 1'000'000'000u),
            .tv_nsec = static_cast<long>(wait % 1'000'000'000u)};
}

int Relay(corvane::sim::PseudoTerminal& program, int module, bool answersAtOnce, uint64_t holdNs) {
    Destination toModule{.fd = module, .followsRate = true};
    Destination toProgram{.fd = program.MasterFd(), .followsRate = false};
    bool moduleGone = false;
    for (;;) {
        const uint64_t now = NowNs();
        Deliver(toModule, now);
        Deliver(toProgram, now);
        bool forever = false;
        const timespec timeout = Timeout(toModule, toProgram, holdNs, now, forever);
        std::array<pollfd, 3> watched{{
            {.fd = STDIN_FILENO, .events = POLLIN, .revents = 0},
            {.fd = program.MasterFd(),
             .events = static_cast<short>(POLLIN | (toProgram.blocked ? POLLOUT : 0)),
             .revents = 0},
            {.fd = moduleGone ? -1 : module,
             .events = static_cast<short>(POLLIN | (toModule.blocked ? POLLOUT : 0)),
             .revents = 0},
        }};
        if (ppoll(watched.data(), watched.size(), forever ? nullptr : &timeout, nullptr) < 0) {
            if (errno == EINTR) {
                continue;
            }
            std::cerr << "corvane-wire: poll: " << std::strerror(errno) << '\n';
            return 1;
        }
        if (watched[0].revents != 0) {
            std::array<char, 256> discard{};
            if (read(STDIN_FILENO, discard.data(), discard.size()) <= 0) {
                return 0;
            }
        }
        // Bytes go out at the rate the program's end is set to; both ends share its termios.
        if ((watched[1].revents & POLLIN) != 0) {
            Pickup(program.MasterFd(), toModule, program.SlaveRate(), NowNs());
        }
        if ((watched[2].revents & POLLIN) != 0) {
            const uint64_t sent = answersAtOnce ? toModule.lastArrivalNs : NowNs();
            moduleGone = !Pickup(module, toProgram, program.SlaveRate(), sent);
        } else if ((watched[2].revents & (POLLHUP | POLLERR)) != 0) {
            moduleGone = true;  // the module hung up; never spin on its descriptor
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    bool answersAtOnce = false;
    uint64_t holdNs = 0;
    int next = 1;
    for (; next < argc - 1; ++next) {
        const std::string_view option = argv[next];
        if (option == "--answers-at-once") {
            answersAtOnce = true;
        } else if (option == "--hold-us" && next + 1 < argc - 1 &&
                   ParseMicroseconds(argv[next + 1], holdNs)) {
            ++next;
        } else {
            break;
        }
    }
    if (next != argc - 1) {
        std::cerr << "usage: corvane-wire [--answers-at-once] [--hold-us US] MODULE_DEVICE\n";
        return 64;
    }
    const char* modulePath = argv[argc - 1];
    const int module = open(modulePath, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (module < 0) {
        std::cerr << "corvane-wire: " << modulePath << ": " << std::strerror(errno) << '\n';
        return 1;
    }
    corvane::sim::PseudoTerminal program;
    std::string error;
    if (!program.Open(InitialRate, error)) {
        std::cerr << "corvane-wire: " << error << '\n';
        return 1;
    }

    signal(SIGPIPE, SIG_IGN);
    // Byte times at 115200 are 87 us: wake-ups must not be rounded up to the default 50 us slack.
    prctl(PR_SET_TIMERSLACK, 1UL, 0, 0, 0);

    std::cout << program.SlavePath() << std::endl;
    return Relay(program, module, answersAtOnce, holdNs);
}
