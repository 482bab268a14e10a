#include "platform/posix/TermiosMapping.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/platform/LinkLineSettings.h"

namespace corvane::platform::posix {
namespace {

using test::LinkLineSettings;

termios2 Mapped(const LineSettings& settings) {
    termios2 tio{};
    std::memset(&tio, 0xff, sizeof tio);  // every flag set: the mapping must clear what it owns
    tio.c_line = 0;
    EXPECT_TRUE(ToTermios(settings, tio));
    return tio;
}

TEST(TermiosMapping, LinkRecordBecomesRawEightNoneOneWithoutFlowControl) {
    const termios2 tio = Mapped(LinkLineSettings(115200));
    EXPECT_EQ(tio.c_cflag & CSIZE, tcflag_t{CS8});
    EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS | HUPCL), 0u);
    EXPECT_EQ(tio.c_cflag & (CREAD | CLOCAL), tcflag_t{CREAD | CLOCAL});
    EXPECT_EQ(tio.c_cflag & CBAUD, tcflag_t{B115200});
    EXPECT_EQ(tio.c_iflag, 0u) << "no XON/XOFF, no parity check, no CR/NL translation";
    EXPECT_EQ(tio.c_oflag, 0u);
    EXPECT_EQ(tio.c_lflag, 0u) << "no echo, no line editing, no signals";
    EXPECT_EQ(tio.c_cc[VMIN], 1) << "so that an empty read is told apart from a hang-up";
    EXPECT_EQ(tio.c_cc[VTIME], 0);
    EXPECT_EQ(tio.c_cc[VSTART], 'n');
    EXPECT_EQ(tio.c_cc[VSTOP], 'f');
}

TEST(TermiosMapping, RatesUseStandardConstantsOrTheArbitraryRate) {
    const struct {
        uint32_t rate;
        tcflag_t speedBits;
    } cases[] = {{9600, B9600},     {19200, B19200},     {57600, B57600},  {115200, B115200},
                 {230400, B230400}, {4000000, B4000000}, {250000, BOTHER}, {31250, BOTHER}};
    for (const auto& c : cases) {
        const termios2 tio = Mapped(LinkLineSettings(c.rate));
        EXPECT_EQ(tio.c_cflag & CBAUD, c.speedBits) << c.rate;
        EXPECT_EQ(tio.c_ospeed, c.rate);
        EXPECT_EQ(tio.c_ispeed, c.rate);
        EXPECT_EQ(tio.c_cflag & CIBAUD, 0u) << "input runs at the output rate";
    }
}

TEST(TermiosMapping, FramesAndFlowControlRoundTrip) {
    const struct {
        uint8_t byteSize, parity, stopBits;
        bool checkParity, cts, xon, xoff;
        tcflag_t cflagBits;
    } cases[] = {
        {5, NOPARITY, ONESTOPBIT, false, false, false, false, CS5},
        {6, ODDPARITY, TWOSTOPBITS, true, false, false, false, CS6 | PARENB | PARODD | CSTOPB},
        {7, EVENPARITY, ONESTOPBIT, true, false, true, true, CS7 | PARENB},
        {8, MARKPARITY, ONESTOPBIT, false, true, false, false,
         CS8 | PARENB | PARODD | CMSPAR | CRTSCTS},
        {8, SPACEPARITY, TWOSTOPBITS, false, false, true, false, CS8 | PARENB | CMSPAR | CSTOPB},
    };
    const tcflag_t watched = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS;
    for (const auto& c : cases) {
        LineSettings s = LinkLineSettings(19200);
        s.ByteSize = c.byteSize;
        s.Parity = c.parity;
        s.StopBits = c.stopBits;
        s.fParity = c.checkParity;
        s.fOutxCtsFlow = c.cts;
        s.fOutX = c.xon;
        s.fInX = c.xoff;
        const termios2 tio = Mapped(s);
        EXPECT_EQ(tio.c_cflag & watched, c.cflagBits) << int{c.byteSize} << int{c.parity};
        EXPECT_EQ((tio.c_iflag & INPCK) != 0, c.checkParity);
        EXPECT_EQ((tio.c_iflag & IXON) != 0, c.xon);
        EXPECT_EQ((tio.c_iflag & IXOFF) != 0, c.xoff);

        LineSettings back{};
        FromTermios(tio, back);
        EXPECT_EQ(back.BaudRate, 19200u);
        EXPECT_EQ(back.ByteSize, c.byteSize);
        EXPECT_EQ(back.Parity, c.parity);
        EXPECT_EQ(back.StopBits, c.stopBits);
        EXPECT_EQ(back.fParity, c.checkParity);
        EXPECT_EQ(back.fOutxCtsFlow, c.cts);
        EXPECT_EQ(back.fOutX, c.xon);
        EXPECT_EQ(back.fInX, c.xoff);
        EXPECT_EQ(back.XonChar, 'n');
        EXPECT_EQ(back.XoffChar, 'f');
    }
}

TEST(TermiosMapping, RefusesWhatTermiosCannotCarry) {
    const struct {
        const char* what;
        void (*change)(LineSettings&);
    } cases[] = {
        {"rate 0 would hang up", [](LineSettings& s) { s.BaudRate = 0; }},
        {"4 data bits", [](LineSettings& s) { s.ByteSize = 4; }},
        {"9 data bits", [](LineSettings& s) { s.ByteSize = 9; }},
        {"unknown parity", [](LineSettings& s) { s.Parity = 5; }},
        {"1.5 stop bits", [](LineSettings& s) { s.StopBits = ONE5STOPBITS; }},
        {"unknown stop bits", [](LineSettings& s) { s.StopBits = 3; }},
        {"DSR flow control", [](LineSettings& s) { s.fOutxDsrFlow = 1; }},
        {"DSR sensitivity", [](LineSettings& s) { s.fDsrSensitivity = 1; }},
        {"DTR handshake", [](LineSettings& s) { s.fDtrControl = DTR_CONTROL_HANDSHAKE; }},
        {"RTS toggle", [](LineSettings& s) { s.fRtsControl = RTS_CONTROL_TOGGLE; }},
        {"NUL stripping", [](LineSettings& s) { s.fNull = 1; }},
        {"error replacement", [](LineSettings& s) { s.fErrorChar = 1; }},
    };
    for (const auto& c : cases) {
        LineSettings s = LinkLineSettings(115200);
        c.change(s);
        termios2 tio{};
        EXPECT_FALSE(ToTermios(s, tio)) << c.what;
    }
}

TEST(TermiosMapping, RtsHandshakeMeansHardwareFlowControl) {
    LineSettings s = LinkLineSettings(115200);
    s.fRtsControl = RTS_CONTROL_HANDSHAKE;
    EXPECT_NE(Mapped(s).c_cflag & CRTSCTS, 0u);
}

}  // namespace
}  // namespace corvane::platform::posix
