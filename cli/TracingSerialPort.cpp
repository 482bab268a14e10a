#include "cli/TracingSerialPort.h"

#include <algorithm>
#include <cstdio>

#include "platform/EscapedBytes.h"

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

bool TracingSerialPort::Open(const std::string& device, uint32_t rate) {
    const bool opened = port.Open(device, rate);
    NoteNow((opened ? "open " : "cannot open ") + EscapedText(device));
    this->rate = 0;
    if (opened) {
        this->rate = rate;
        NoteNow("rate " + std::to_string(rate));
    }
    return opened;
}

void TracingSerialPort::Close() {
    port.Close();
    NoteNow("close");
}

bool TracingSerialPort::SetRate(uint32_t rate) {
    const bool held = port.SetRate(rate);
    if (!held) {
        NoteNow("rate " + std::to_string(rate) + " refused");
    } else if (rate != this->rate) {
        this->rate = rate;
        NoteNow("rate " + std::to_string(rate));
    }
    return held;
}

bool TracingSerialPort::SetDtr(bool high) {
    NoteNow(high ? "DTR high" : "DTR low");
    return port.SetDtr(high);
}

bool TracingSerialPort::SetRts(bool high) {
    NoteNow(high ? "RTS high" : "RTS low");
    return port.SetRts(high);
}

bool TracingSerialPort::Purge() {
    EndReadBurst();
    return port.Purge();
}

size_t TracingSerialPort::Write(std::span<const uint8_t> bytes) {
    EndReadBurst();
    const uint32_t tick = clock.TickCount();
    const size_t written = port.Write(bytes);
    std::string line = "> " + EscapedBytes(bytes.first(std::min(written, bytes.size())));
    if (written != bytes.size()) {
        line +=
            "  (" + std::to_string(written) + " of " + std::to_string(bytes.size()) + " written)";
    }
    Note(tick, line);
    return written;
}

std::optional<uint8_t> TracingSerialPort::ReadByte() {
    const std::optional<uint8_t> byte = port.ReadByte();
    if (!byte) {
        EndReadBurst();
        return byte;
    }
    if (burstSize == burst.size()) {
        EndReadBurst();
    }
    if (burstSize == 0) {
        burstTick = clock.TickCount();  // a read may wait: the byte came at its end
    }
    burst[burstSize++] = *byte;
    return byte;
}

}  // namespace corvane::cli
