#include "sim/PseudoTerminal.h"

#include <asm/termbits.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace corvane::sim {

namespace {

std::string Failure(const char* step) {
    return std::string(step) + ": " + std::strerror(errno);
}

// Raw 8N1 at the given rate, so that nothing the module sends is echoed back by the slave's
// line discipline before the program configures the port itself.
bool MakeRaw(int fd, uint32_t rate) {
    termios2 tio{};
    if (ioctl(fd, TCGETS2, &tio) != 0) {
        return false;
    }
    tio.c_iflag = 0;
    tio.c_oflag = 0;
    tio.c_lflag = 0;
    tio.c_cflag = CS8 | CREAD | CLOCAL | BOTHER;
    tio.c_ispeed = rate;
    tio.c_ospeed = rate;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    return ioctl(fd, TCSETS2, &tio) == 0;
}

}  // namespace

PseudoTerminal::~PseudoTerminal() {
    HangUp();
}

bool PseudoTerminal::Open(uint32_t initialRate, std::string& error) {
    HangUp();
    master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0) {
        error = Failure("posix_openpt");
        return false;
    }
    std::array<char, 128> name{};
    if (grantpt(master) != 0 || unlockpt(master) != 0 ||
        ptsname_r(master, name.data(), name.size()) != 0) {
        error = Failure("unlocking the pseudo-terminal");
        HangUp();
        return false;
    }
    slavePath = name.data();
    slave = open(slavePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0 || !MakeRaw(slave, initialRate) ||
        fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK) != 0) {
        error = Failure("preparing the slave");
        HangUp();
        return false;
    }
    return true;
}

void PseudoTerminal::HangUp() {
    if (slave >= 0) {
        close(slave);
        slave = -1;
    }
    if (master >= 0) {
        close(master);
        master = -1;
    }
}

uint32_t PseudoTerminal::SlaveRate() const {
    termios2 tio{};
    if (master < 0 || ioctl(master, TCGETS2, &tio) != 0) {
        return 0;
    }
    return tio.c_ospeed;
}

size_t PseudoTerminal::UnreadByProgram() const {
    int unread = 0;
    if (slave < 0 || ioctl(slave, FIONREAD, &unread) != 0) {
        return 0;
    }
    return static_cast<size_t>(unread);
}

}  // namespace corvane::sim
