#pragma once

// The kernel's own termios record, which carries the rate as a number (termios2): the only way
// to set a rate outside the standard table and to read back the rate a driver really holds.
// Do not include <termios.h> next to this header: both define struct termios.
#include <asm/termbits.h>

#include <cstdint>

#include "platform/LineSettings.h"

namespace corvane::platform::posix {

// Values of the record's fields that LineSettings.h does not name, as Windows numbers them.
inline constexpr uint32_t DTR_CONTROL_ENABLE = 1;
inline constexpr uint32_t DTR_CONTROL_HANDSHAKE = 2;
inline constexpr uint32_t RTS_CONTROL_DISABLE = 0;
inline constexpr uint32_t RTS_CONTROL_HANDSHAKE = 2;
inline constexpr uint32_t RTS_CONTROL_TOGGLE = 3;
inline constexpr uint8_t ODDPARITY = 1;
inline constexpr uint8_t EVENPARITY = 2;
inline constexpr uint8_t MARKPARITY = 3;
inline constexpr uint8_t SPACEPARITY = 4;
inline constexpr uint8_t ONE5STOPBITS = 1;
inline constexpr uint8_t TWOSTOPBITS = 2;

// Writes the record into tio as a raw line (no echo, no line editing, no output processing,
// receiver on, modem status ignored, DTR left alone on close). The rate goes in as a standard
// speed constant where one exists, else as an arbitrary rate. False when the record asks for
// what termios cannot do (rate 0, 1.5 stop bits, DSR flow control, ...); tio is then unusable.
bool ToTermios(const LineSettings& settings, termios2& tio);

// Overlays onto settings what tio holds: rate, frame, parity checking, flow control and the
// XON/XOFF characters. Fields termios has no place for are left as they are.
void FromTermios(const termios2& tio, LineSettings& settings);

}  // namespace corvane::platform::posix
