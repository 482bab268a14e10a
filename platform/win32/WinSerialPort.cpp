#include "platform/win32/WinSerialPort.h"

#include <iterator>

#include "platform/RateText.h"
#include "platform/win32/ComPortName.h"
#include "platform/win32/SystemMessage.h"
#include "platform/win32/WideText.h"

namespace corvane::platform::win32 {

namespace {

constexpr char NotAComPortText[] = "not a COM port name: give COMn, COMn: or \\\\.\\COMn";

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

std::string OpenFailureText(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return "no such port";
        case ERROR_ACCESS_DENIED:
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

// The lock that one update holds on a port while it has it open, named after the port's normal
// name so that every spelling of it meets the same lock. It lives in the global namespace, so
// that an update in another session (another user's, a service's) meets it too; another user's
// lock is theirs and cannot be opened, which says as much as finding it. A session that may not
// create global objects at all keeps the lock within the session. Null when the port is taken,
// with error saying why.
HANDLE TakeUpdateLock(const std::string& comName, std::string& error) {
    const std::wstring name = L"corvane-update-" + std::wstring(comName.begin(), comName.end());
    HANDLE lock = CreateMutexW(nullptr, FALSE, (L"Global\\" + name).c_str());
    DWORD status = GetLastError();
    if (lock == nullptr && status != ERROR_ACCESS_DENIED) {
        lock = CreateMutexW(nullptr, FALSE, (L"Local\\" + name).c_str());
        status = GetLastError();
    }
    if (lock != nullptr && status != ERROR_ALREADY_EXISTS) {
        return lock;
    }
    if (lock != nullptr) {
        CloseHandle(lock);
    }
    const bool held = lock != nullptr || status == ERROR_ACCESS_DENIED;
    error = held ? "in use by another update" : SystemMessage(status);
    return nullptr;
}

}  // namespace

WinSerialPort::~WinSerialPort() {
    Close();
}

bool WinSerialPort::Open(const std::string& device, uint32_t rate) {
    Close();
    lastError.clear();
    const std::optional<std::string> comName = NormalComPortName(device);
    if (!comName) {
        // Only a COM port is opened: any other path could reach another device than the port
        // the lock is named after, or make Windows sign on to a remote host.
        lastError = NotAComPortText;
        return false;
    }
    // One update per port: two on one line would interleave their commands, and not every
    // driver (Wine's, for one) gives a port to one program only.
    const HANDLE lock = TakeUpdateLock(*comName, lastError);
    if (lock == nullptr) {
        return false;
    }
    // Whatever the name leads to, the driver behind it may learn who opens it but may not act
    // as that user.
    const HANDLE port = CreateFileW(ComDevicePath(*comName).c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr);
    if (port == INVALID_HANDLE_VALUE) {
        lastError = OpenFailureText(GetLastError());
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
