#include "link/ModuleLink.h"

#include "link/LinkTiming.h"

namespace corvane {

namespace {

void CallIfPresent(platform::EntryPoint entryPoint) {
    if (entryPoint != nullptr) {
        entryPoint();
    }
}

}  // namespace

ModuleLink::ModuleLink(platform::Platform& platform) : platform(platform) {}

ModuleLink::~ModuleLink() = default;

bool ModuleLink::Open(const std::string& portName, uint32_t baudRate) {
    if (!platform.port.Open(portName, baudRate)) {
        return false;
    }
    platform.port.SetRts(true);
    power.Load(platform.libraries);
    CallIfPresent(power.RHA_Init);
    return true;
}

void ModuleLink::Close() {
    platform.port.Close();
    // The library is told it is done only once the port is gone, and before it is unloaded.
    CallIfPresent(power.RHA_DeInit);
    power.Release(platform.libraries);
}

bool ModuleLink::PowerOnAndReset() {
    CallIfPresent(power.RHA_RadioPwrOn);
    platform.port.SetDtr(false);
    platform.clock.Sleep(link_timing::DtrLowPulse);
    platform.port.SetDtr(true);
    return true;
}

bool ModuleLink::PowerOff() {
    CallIfPresent(power.RHA_RadioPwrOff);
    return true;
}

bool ModuleLink::Purge() {
    return platform.port.Purge();
}

uint16_t ModuleLink::Write(const uint8_t* bytes, uint16_t count) {
    return static_cast<uint16_t>(platform.port.Write({bytes, count}));
}

bool ModuleLink::ReadByte(uint8_t& place) {
    const std::optional<uint8_t> byte = platform.port.ReadByte();
    if (byte) {
        place = *byte;
    }
    return byte.has_value();
}

bool ModuleLink::SetBaudRate(uint32_t rate) {
    return platform.port.SetRate(rate);
}

bool ModuleLink::IsOpen() const {
    return platform.port.IsOpen();
}

std::string ModuleLink::PortError() const {
    return platform.port.LastError();
}

std::vector<platform::PortHolder> ModuleLink::OtherPortHolders(const std::string& portName) const {
    return platform.port.OtherHolders(portName);
}

}  // namespace corvane
