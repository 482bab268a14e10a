#include "platform/win32/WinSerialPort.h"

#include <cstring>
#include <cwctype>
#include <iterator>

#include "platform/RateText.h"
#include "platform/win32/WideText.h"

namespace corvane::platform::win32 {

namespace {

// The one way the module's line is set up: 8 data bits, no parity, one stop bit, binary, no
// flow control of either kind, DTR held low and RTS high. The four special characters do
// nothing with flow control and error replacement off, but the driver receives them all the
// same. Every field not named here is 0.
DCB LineSettingsAt(uint32_t rate) {
    DCB settings{};
    settings.DCBlength = sizeof(DCB);
    settings.BaudRate = rate;
    settings.fBinary = TRUE;
    settings.fDtrControl = DTR_CONTROL_DISABLE;
    settings.fRtsControl = RTS_CONTROL_ENABLE;
    settings.ByteSize = 8;
    settings.Parity = NOPARITY;
    settings.StopBits = ONESTOPBIT;
    settings.XonChar = 'n';
    settings.XoffChar = 'f';
    settings.ErrorChar = 'r';
    settings.EofChar = 0;
    settings.EvtChar = 'v';
    return settings;
}

// An empty one-byte read returns after 10 x 1 + 10 = 20 ms; a write of n bytes gets 10 x n + 10.
constexpr COMMTIMEOUTS LineTimeouts{
    .ReadIntervalTimeout = 10,
    .ReadTotalTimeoutMultiplier = 10,
    .ReadTotalTimeoutConstant = 10,
    .WriteTotalTimeoutMultiplier = 10,
    .WriteTotalTimeoutConstant = 10,
};
constexpr DWORD EmptyReadMs =
    LineTimeouts.ReadTotalTimeoutMultiplier + LineTimeouts.ReadTotalTimeoutConstant;

std::string SystemMessage(DWORD error) {
    wchar_t text[512];
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                       0, text, static_cast<DWORD>(std::size(text)), nullptr);
    std::wstring_view message(text, length);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r')) {
        message.remove_suffix(1);
    }
    if (message.empty()) {
        return "system error " + std::to_string(error);
    }
    return Utf8FromWide(message);
}

bool IsDirectory(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string OpenFailureText(DWORD error, const std::wstring& path) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return "no such port";
        case ERROR_ACCESS_DENIED:
            if (IsDirectory(path)) {
                return "not a serial port";
            }
            [[fallthrough]];
        case ERROR_SHARING_VIOLATION:
            // Windows gives a COM port to one program at a time.
            return "in use by another program";
        default:
            return SystemMessage(error);
    }
}

// Right after open, a handle that takes no communications call at all (a file, NUL, a printer
// port) is no serial port; a serial port that balks at the record cannot run at the rate.
std::string SetupFailureText(DWORD error, uint32_t rate) {
    switch (error) {
        case ERROR_INVALID_FUNCTION:
        case ERROR_INVALID_HANDLE:
        case ERROR_NOT_SUPPORTED:
            return "not a serial port";
        case ERROR_INVALID_PARAMETER:
            return RefusedRateText(rate);
        default:
            return SystemMessage(error);
    }
}

// The rate the driver runs at, nothing when it cannot tell.
std::optional<DWORD> HeldRate(HANDLE port) {
    DCB held{};
    held.DCBlength = sizeof(DCB);
    if (!GetCommState(port, &held)) {
        return std::nullopt;
    }
    return held.BaudRate;
}

bool IsComPortName(std::string_view name) {
    if (name.ends_with(':')) {
        name.remove_suffix(1);
    }
    if (name.size() < 4 || _strnicmp(name.data(), "COM", 3) != 0) {
        return false;
    }
    for (const char c : name.substr(3)) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

// The name of the lock that one update holds on a port while it has it open.
std::wstring UpdateLockName(const std::wstring& devicePath) {
    std::wstring name = L"Local\\corvane-update-";
    for (const wchar_t c : devicePath) {
        name += c == L'\\' ? L'_' : static_cast<wchar_t>(towupper(c));
    }
    return name;
}

}  // namespace

std::string PortDevicePath(std::string_view portName) {
    if (!IsComPortName(portName)) {
        return std::string(portName);
    }
    if (portName.ends_with(':')) {
        portName.remove_suffix(1);
    }
    return "\\\\.\\" + std::string(portName);
}

WinSerialPort::~WinSerialPort() {
    Close();
}

bool WinSerialPort::Open(const std::string& device, uint32_t rate) {
    Close();
    lastError.clear();
    const std::optional<std::wstring> name = WideFromUtf8(PortDevicePath(device));
    if (!name) {
        lastError = "no such port";
        return false;
    }
    const std::wstring& path = *name;
    // One update per port: two on one line would interleave their commands, and not every
    // driver (Wine's, for one) gives a port to one program only.
    const HANDLE lock = CreateMutexW(nullptr, FALSE, UpdateLockName(path).c_str());
    if (lock == nullptr || GetLastError() == ERROR_ALREADY_EXISTS) {
        lastError = lock == nullptr ? SystemMessage(GetLastError()) : "in use by another update";
        if (lock != nullptr) {
            CloseHandle(lock);
        }
        return false;
    }
    const HANDLE port =
        CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (port == INVALID_HANDLE_VALUE) {
        lastError = OpenFailureText(GetLastError(), path);
        CloseHandle(lock);
        return false;
    }
    DCB settings = LineSettingsAt(rate);
    COMMTIMEOUTS timeouts = LineTimeouts;
    // A rate that the driver takes but rounds is no reason to refuse the port: the module may
    // well answer at it, and the rate search asks the module.
    if (!SetCommState(port, &settings) || !SetCommTimeouts(port, &timeouts)) {
        lastError = SetupFailureText(GetLastError(), rate);
        CloseHandle(port);
        CloseHandle(lock);
        return false;
    }
    handle = port;
    updateLock = lock;
    kept = settings;
    return true;
}

void WinSerialPort::Close() {
    if (IsOpen()) {
        CloseHandle(handle);
        handle = INVALID_HANDLE_VALUE;
        CloseHandle(updateLock);
        updateLock = nullptr;
    }
}

bool WinSerialPort::SetRate(uint32_t rate) {
    if (!IsOpen()) {
        return false;
    }
    kept.BaudRate = rate;
    if (!SetCommState(handle, &kept)) {
        lastError = RefusedRateText(rate);
        return false;
    }
    const std::optional<DWORD> held = HeldRate(handle);
    if (!held) {
        lastError = "does not tell the rate it runs at";
        return false;
    }
    // A driver that rounds the rate runs at its own, and stays there; the kept settings follow
    // it, so that they hold what the line does.
    if (*held != rate) {
        kept.BaudRate = *held;
        lastError = RoundedRateText(rate, *held);
        return false;
    }
    return true;
}

bool WinSerialPort::SetDtr(bool high) {
    return IsOpen() && EscapeCommFunction(handle, high ? SETDTR : CLRDTR) != FALSE;
}

bool WinSerialPort::SetRts(bool high) {
    return IsOpen() && EscapeCommFunction(handle, high ? SETRTS : CLRRTS) != FALSE;
}

bool WinSerialPort::Purge() {
    return IsOpen() && PurgeComm(handle, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR |
                                             PURGE_RXCLEAR) != FALSE;
}

size_t WinSerialPort::Write(std::span<const uint8_t> bytes) {
    if (!IsOpen()) {
        return 0;
    }
    const DWORD count = bytes.size() > MAXDWORD ? MAXDWORD : static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    if (!WriteFile(handle, bytes.data(), count, &written, nullptr)) {
        return 0;
    }
    return written;
}

std::optional<uint8_t> WinSerialPort::ReadByte() {
    if (!IsOpen()) {
        return std::nullopt;
    }
    uint8_t byte = 0;
    DWORD read = 0;
    if (!ReadFile(handle, &byte, 1, &read, nullptr)) {
        // The device is gone (an adapter pulled) and fails at once: wait as an empty read would,
        // so that a caller reading until silence does not spin.
        Sleep(EmptyReadMs);
        return std::nullopt;
    }
    if (read != 1) {
        return std::nullopt;
    }
    return byte;
}

}  // namespace corvane::platform::win32
