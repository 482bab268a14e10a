#include "platform/posix/TermiosMapping.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/platform/LinkLineSettings.h"

namespace corvane::platform::posix {
namespace {

TEST(TermiosMapping, FramesRatesAndFlowControlRoundTrip) {
    const struct {
        uint32_t rate;
        uint8_t byteSize, parity, stopBits;
        bool checkParity, cts, xon;
        tcflag_t cflagBits;
    } cases[] = {
        {115200, 8, NOPARITY, ONESTOPBIT, false, false, false, CS8 | B115200},
        {250000, 5, NOPARITY, ONESTOPBIT, false, false, false, CS5 | BOTHER},
        {19200, 6, ODDPARITY, TWOSTOPBITS, true, false, false,
         CS6 | B19200 | PARENB | PARODD | CSTOPB},
        {57600, 7, EVENPARITY, ONESTOPBIT, true, false, true, CS7 | B57600 | PARENB},
        {9600, 8, MARKPARITY, ONESTOPBIT, false, true, false,
         CS8 | B9600 | PARENB | PARODD | CMSPAR | CRTSCTS},
        {31250, 8, SPACEPARITY, TWOSTOPBITS, false, false, true,
         CS8 | BOTHER | PARENB | CMSPAR | CSTOPB},
    };
    for (const auto& c : cases) {
        LineSettings s = test::LinkLineSettings(c.rate);
        s.ByteSize = c.byteSize;
        s.Parity = c.parity;
        s.StopBits = c.stopBits;
        s.fParity = c.checkParity;
        s.fOutxCtsFlow = c.cts;
        s.fOutX = s.fInX = c.xon;
        termios2 tio{};
        std::memset(&tio, 0xff, sizeof tio);  // the mapping must clear whatever it owns
        ASSERT_TRUE(ToTermios(s, tio)) << c.rate;
        EXPECT_EQ(tio.c_cflag, c.cflagBits | CREAD | CLOCAL) << c.rate << ": no HUPCL, no CIBAUD";
        EXPECT_EQ(tio.c_iflag, (c.checkParity ? INPCK : 0u) | (c.xon ? IXON | IXOFF : 0u));
        EXPECT_EQ(tio.c_oflag | tio.c_lflag, 0u) << "raw: no output processing, echo or signals";
        EXPECT_EQ(tio.c_ospeed, c.rate);
        EXPECT_EQ(tio.c_cc[VMIN], 1) << "so that an empty read is told apart from a hang-up";
        EXPECT_EQ(tio.c_cc[VTIME], 0);

        LineSettings back{};
        FromTermios(tio, back);
        EXPECT_EQ(back.BaudRate, c.rate);
        EXPECT_EQ(back.ByteSize, c.byteSize);
        EXPECT_EQ(back.Parity, c.parity);
        EXPECT_EQ(back.StopBits, c.stopBits);
        EXPECT_EQ(back.fParity, c.checkParity);
        EXPECT_EQ(back.fOutxCtsFlow, c.cts);
        EXPECT_EQ(back.fOutX & back.fInX, c.xon);
        EXPECT_EQ(back.XonChar, 'n');
        EXPECT_EQ(back.XoffChar, 'f');
    }
}

TEST(TermiosMapping, RefusesWhatTermiosCannotCarry) {
    void (*const changes[])(LineSettings&) = {
        [](LineSettings& s) { s.BaudRate = 0; },  // B0 would hang the line up
        [](LineSettings& s) { s.ByteSize = 4; },
        [](LineSettings& s) { s.ByteSize = 9; },
        [](LineSettings& s) { s.Parity = 5; },
        [](LineSettings& s) { s.StopBits = ONE5STOPBITS; },
        [](LineSettings& s) { s.StopBits = 3; },
        [](LineSettings& s) { s.fOutxDsrFlow = 1; },
        [](LineSettings& s) { s.fDsrSensitivity = 1; },
        [](LineSettings& s) { s.fDtrControl = DTR_CONTROL_HANDSHAKE; },
        [](LineSettings& s) { s.fRtsControl = RTS_CONTROL_TOGGLE; },
        [](LineSettings& s) { s.fNull = 1; },
        [](LineSettings& s) { s.fErrorChar = 1; },
    };
    for (size_t i = 0; i < std::size(changes); ++i) {
        LineSettings s = test::LinkLineSettings(115200);
        changes[i](s);
        termios2 tio{};
        EXPECT_FALSE(ToTermios(s, tio)) << "change " << i;
    }
}

}  // namespace
}  // namespace corvane::platform::posix
