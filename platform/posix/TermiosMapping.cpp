#include "platform/posix/TermiosMapping.h"

#include <array>
#include <cstddef>
#include <utility>

namespace corvane::platform::posix {

namespace {

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

constexpr std::array<tcflag_t, 4> CharacterSizes{CS5, CS6, CS7, CS8};

bool Representable(const LineSettings& s) {
    return s.BaudRate != 0  // B0 would hang the line up
           && s.ByteSize >= 5 && s.ByteSize <= 8 && s.Parity <= SPACEPARITY &&
           (s.StopBits == ONESTOPBIT || s.StopBits == TWOSTOPBITS) && !s.fOutxDsrFlow &&
           !s.fDsrSensitivity && s.fDtrControl != DTR_CONTROL_HANDSHAKE &&
           s.fRtsControl != RTS_CONTROL_TOGGLE && !s.fNull && !s.fErrorChar;
}

tcflag_t ParityFlags(uint8_t parity) {
    switch (parity) {
        case ODDPARITY:
            return PARENB | PARODD;
        case EVENPARITY:
            return PARENB;
        case MARKPARITY:
            return PARENB | CMSPAR | PARODD;
        case SPACEPARITY:
            return PARENB | CMSPAR;
        default:
            return 0;
    }
}

uint8_t ParityOf(tcflag_t cflag) {
    if ((cflag & PARENB) == 0) {
        return NOPARITY;
    }
    const bool odd = (cflag & PARODD) != 0;
    if ((cflag & CMSPAR) != 0) {
        return odd ? MARKPARITY : SPACEPARITY;
    }
    return odd ? ODDPARITY : EVENPARITY;
}

}  // namespace

bool ToTermios(const LineSettings& settings, termios2& tio) {
    if (!Representable(settings)) {
        return false;
    }
    tio.c_iflag = 0;
    if (settings.fParity) {
        tio.c_iflag |= INPCK;
    }
    if (settings.fOutX) {
        tio.c_iflag |= IXON;
    }
    if (settings.fInX) {
        tio.c_iflag |= IXOFF;
    }
    tio.c_oflag = 0;
    tio.c_lflag = 0;

    // No HUPCL: DTR is the module's reset line, and closing the port must not pull it.
    tio.c_cflag = CREAD | CLOCAL | CharacterSizes[settings.ByteSize - 5] |
                  ParityFlags(settings.Parity) | SpeedFlag(settings.BaudRate);
    if (settings.StopBits == TWOSTOPBITS) {
        tio.c_cflag |= CSTOPB;
    }
    if (settings.fOutxCtsFlow || settings.fRtsControl == RTS_CONTROL_HANDSHAKE) {
        tio.c_cflag |= CRTSCTS;
    }
    tio.c_ispeed = settings.BaudRate;
    tio.c_ospeed = settings.BaudRate;

    for (cc_t& c : tio.c_cc) {
        c = 0;
    }
    tio.c_cc[VSTART] = static_cast<cc_t>(settings.XonChar);
    tio.c_cc[VSTOP] = static_cast<cc_t>(settings.XoffChar);
    // VMIN = 1, VTIME = 0: on the non-blocking descriptor an empty read fails with EAGAIN, and
    // only a hung-up line reads as end of file (with VMIN = 0 both would read 0 bytes).
    tio.c_cc[VMIN] = 1;
    return true;
}

void FromTermios(const termios2& tio, LineSettings& settings) {
    settings.DCBlength = sizeof(LineSettings);
    settings.BaudRate = tio.c_ospeed;
    for (size_t i = 0; i < CharacterSizes.size(); ++i) {
        if ((tio.c_cflag & CSIZE) == CharacterSizes[i]) {
            settings.ByteSize = static_cast<uint8_t>(5 + i);
        }
    }
    settings.Parity = ParityOf(tio.c_cflag);
    settings.StopBits = (tio.c_cflag & CSTOPB) != 0 ? TWOSTOPBITS : ONESTOPBIT;
    settings.fParity = (tio.c_iflag & INPCK) != 0;
    settings.fOutxCtsFlow = (tio.c_cflag & CRTSCTS) != 0;
    settings.fOutX = (tio.c_iflag & IXON) != 0;
    settings.fInX = (tio.c_iflag & IXOFF) != 0;
    settings.XonChar = static_cast<char>(tio.c_cc[VSTART]);
    settings.XoffChar = static_cast<char>(tio.c_cc[VSTOP]);
}

}  // namespace corvane::platform::posix
