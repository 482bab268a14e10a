#include "link/ModuleLink.h"

#include <algorithm>

#include "link/LinkTiming.h"
#include "link/RadioPowerLibrary.h"

namespace corvane {

namespace {

void CallIfPresent(platform::EntryPoint entryPoint) {
    if (entryPoint != nullptr) {
        entryPoint();
    }
}

// 8N1, binary, no flow control; DTR stays low until the module is reset, RTS follows the port.
void WriteLineSettings(platform::LineSettings& s, uint32_t baudRate) {
    s.DCBlength = sizeof(platform::LineSettings);
    s.BaudRate = baudRate;
    s.fBinary = 1;
    s.fParity = 0;
    s.fOutxCtsFlow = 0;
    s.fOutxDsrFlow = 0;
    s.fDtrControl = platform::DTR_CONTROL_DISABLE;
    s.fDsrSensitivity = 0;
    s.fTXContinueOnXoff = 0;
    s.fOutX = 0;
    s.fInX = 0;
    s.fErrorChar = 0;
    s.fNull = 0;
    s.fRtsControl = platform::RTS_CONTROL_ENABLE;
    s.fAbortOnError = 0;
    s.XonLim = 0;
    s.XoffLim = 0;
    s.ByteSize = 8;
    s.Parity = platform::NOPARITY;
    s.StopBits = platform::ONESTOPBIT;
    s.XonChar = 'n';
    s.XoffChar = 'f';
    s.ErrorChar = 'r';
    s.EofChar = 0;
    s.EvtChar = 'v';
}

}  // namespace

ModuleLink::ModuleLink(platform::Platform& platform) : platform(platform) {}

ModuleLink::~ModuleLink() = default;

bool ModuleLink::Open(const std::string& portName, uint32_t baudRate) {
    if (!platform.port.Open(portName)) {
        return false;
    }
    WriteLineSettings(settings, baudRate);
    if (!platform.port.SetCommState(settings)) {
        platform.port.Close();
        return false;
    }
    using link_timing::PortTimeout;
    const platform::CommTimeouts timeouts{PortTimeout, PortTimeout, PortTimeout, PortTimeout,
                                          PortTimeout};
    if (!platform.port.SetCommTimeouts(timeouts)) {
        platform.port.Close();
        return false;
    }
    platform.port.EscapeCommFunction(platform::EscapeFunction::SETRTS);
    RadioPowerLibrary::Load(platform.libraries);
    CallIfPresent(RadioPowerLibrary::RHA_Init);
    return true;
}

void ModuleLink::Close() {
    platform.port.Close();
    // The library is told it is done only once the port is gone, and before it is unloaded.
    CallIfPresent(RadioPowerLibrary::RHA_DeInit);
    RadioPowerLibrary::Release(platform.libraries);
}

bool ModuleLink::PowerOnAndReset() {
    CallIfPresent(RadioPowerLibrary::RHA_RadioPwrOn);
    platform.port.EscapeCommFunction(platform::EscapeFunction::CLRDTR);
    platform.clock.Sleep(link_timing::DtrLowPulse);
    platform.port.EscapeCommFunction(platform::EscapeFunction::SETDTR);
    return true;
}

bool ModuleLink::PowerOff() {
    CallIfPresent(RadioPowerLibrary::RHA_RadioPwrOff);
    return true;
}

bool ModuleLink::Purge() {
    return platform.port.PurgeComm(platform::PURGE_TXABORT | platform::PURGE_RXABORT |
                                   platform::PURGE_TXCLEAR | platform::PURGE_RXCLEAR);
}

uint16_t ModuleLink::Write(const uint8_t* bytes, uint16_t count) {
    uint32_t written = 0;
    if (!platform.port.WriteFile(bytes, count, written)) {
        return 0;
    }
    return static_cast<uint16_t>(std::min<uint32_t>(written, count));
}

bool ModuleLink::ReadByte(uint8_t& place) {
    uint8_t byte = 0;
    uint32_t read = 0;
    if (!platform.port.ReadFile(byte, read) || read != 1) {
        return false;
    }
    place = byte;
    return true;
}

bool ModuleLink::SetBaudRate(uint32_t rate) {
    settings.BaudRate = rate;
    if (!platform.port.SetCommState(settings)) {
        return false;
    }
    platform::LineSettings reported{};
    if (!platform.port.GetCommState(reported)) {
        return false;
    }
    if (reported.BaudRate == rate) {
        return true;
    }
    settings.BaudRate = reported.BaudRate;
    return false;
}

bool ModuleLink::IsOpen() const {
    return platform.port.IsOpen();
}

}  // namespace corvane
