#pragma once

#include <cstdint>

#include "platform/LineSettings.h"

namespace corvane::test {

// The record the link hands to the port at open: 8N1, binary, no flow control, DTR control
// disabled, RTS enabled, and its four inert special characters.
inline platform::LineSettings LinkLineSettings(uint32_t rate) {
    platform::LineSettings s{};
    s.DCBlength = sizeof(platform::LineSettings);
    s.BaudRate = rate;
    s.fBinary = 1;
    s.fDtrControl = platform::DTR_CONTROL_DISABLE;
    s.fRtsControl = platform::RTS_CONTROL_ENABLE;
    s.ByteSize = 8;
    s.Parity = platform::NOPARITY;
    s.StopBits = platform::ONESTOPBIT;
    s.XonChar = 'n';
    s.XoffChar = 'f';
    s.ErrorChar = 'r';
    s.EvtChar = 'v';
    return s;
}

inline constexpr platform::CommTimeouts LinkTimeouts{10, 10, 10, 10, 10};

}  // namespace corvane::test
