#include "cli/TracingSerialPort.h"

#include <cstdio>

#include "cli/EscapedBytes.h"

namespace corvane::cli {

TracingSerialPort::TracingSerialPort(platform::SerialPort& port, platform::Clock& clock,
                                     std::ostream& trace)
    : port(port), clock(clock), trace(trace), startTick(clock.TickCount()) {}

TracingSerialPort::~TracingSerialPort() {
    EndReadBurst();
}

void TracingSerialPort::Note(uint32_t tick, const std::string& text) {
    char stamp[24];
    std::snprintf(stamp, sizeof stamp, "[%7u ms] ", static_cast<unsigned>(tick - startTick));
    trace << stamp << text << std::endl;
}

void TracingSerialPort::NoteNow(const std::string& text) {
    EndReadBurst();
    Note(clock.TickCount(), text);
}

void TracingSerialPort::EndReadBurst() {
    if (burstSize > 0) {
        Note(burstTick, "< " + EscapedBytes({burst.data(), burstSize}));
        burstSize = 0;
    }
}

bool TracingSerialPort::Open(const std::string& deviceName) {
    const bool opened = port.Open(deviceName);
    NoteNow((opened ? "open " : "cannot open ") + deviceName);
    rate = 0;
    return opened;
}

void TracingSerialPort::Close() {
    port.Close();
    NoteNow("close");
}

bool TracingSerialPort::SetCommState(const platform::LineSettings& settings) {
    const bool accepted = port.SetCommState(settings);
    if (!accepted) {
        NoteNow("rate " + std::to_string(settings.BaudRate) + " refused");
    } else if (settings.BaudRate != rate) {
        rate = settings.BaudRate;
        NoteNow("rate " + std::to_string(rate));
    }
    return accepted;
}

bool TracingSerialPort::GetCommState(platform::LineSettings& settings) {
    return port.GetCommState(settings);
}

bool TracingSerialPort::SetCommTimeouts(const platform::CommTimeouts& timeouts) {
    return port.SetCommTimeouts(timeouts);
}

bool TracingSerialPort::EscapeCommFunction(platform::EscapeFunction function) {
    switch (function) {
        case platform::EscapeFunction::CLRDTR:
            NoteNow("DTR low");
            break;
        case platform::EscapeFunction::SETDTR:
            NoteNow("DTR high");
            break;
        case platform::EscapeFunction::SETRTS:
            NoteNow("RTS high");
            break;
    }
    return port.EscapeCommFunction(function);
}

bool TracingSerialPort::PurgeComm(uint32_t flags) {
    EndReadBurst();
    return port.PurgeComm(flags);
}

bool TracingSerialPort::WriteFile(const uint8_t* bytes, uint32_t count, uint32_t& written) {
    EndReadBurst();
    const uint32_t tick = clock.TickCount();
    const bool ok = port.WriteFile(bytes, count, written);
    std::string line = "> " + EscapedBytes({bytes, written <= count ? written : count});
    if (!ok || written != count) {
        line += "  (" + std::to_string(written) + " of " + std::to_string(count) + " written" +
                (ok ? ")" : ", failed)");
    }
    Note(tick, line);
    return ok;
}

bool TracingSerialPort::ReadFile(uint8_t& byte, uint32_t& read) {
    const bool ok = port.ReadFile(byte, read);
    const uint32_t tick = clock.TickCount();  // a read may wait: the byte came at its end
    if (ok && read == 1) {
        if (burstSize == burst.size()) {
            EndReadBurst();
        }
        if (burstSize == 0) {
            burstTick = tick;
        }
        burst[burstSize++] = byte;
    } else {
        EndReadBurst();
        if (!ok && !readsFailing) {
            Note(tick, "read failed");
        }
    }
    readsFailing = !ok;
    return ok;
}

}  // namespace corvane::cli
