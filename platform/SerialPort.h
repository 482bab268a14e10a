#pragma once

#include <cstdint>
#include <string>

#include "platform/LineSettings.h"

namespace corvane::platform {

// One serial port, open or closed. The operations mirror what the link needs of the operating
// system and nothing more; results are reported, never thrown.
class SerialPort {
  public:
    virtual ~SerialPort() = default;

    // Opens the device by name for synchronous reading and writing (shared read/write).
    virtual bool Open(const std::string& deviceName) = 0;
    virtual bool IsOpen() const = 0;
    virtual void Close() = 0;

    // Applies the whole record; false when the driver refuses it (a rate it cannot produce).
    virtual bool SetCommState(const LineSettings& settings) = 0;
    // Reports the settings in force, the rate as the driver holds it.
    virtual bool GetCommState(LineSettings& settings) = 0;
    virtual bool SetCommTimeouts(const CommTimeouts& timeouts) = 0;
    virtual bool EscapeCommFunction(EscapeFunction function) = 0;
    virtual bool PurgeComm(uint32_t flags) = 0;
    // Writes count bytes; written receives how many went out.
    virtual bool WriteFile(const uint8_t* bytes, uint32_t count, uint32_t& written) = 0;
    // Reads at most one byte; succeeds with read == 0 when the read time-outs expire empty.
    virtual bool ReadFile(uint8_t& byte, uint32_t& read) = 0;

    // Why the last Open or SetCommState failed, in a few words for the operator ("permission
    // denied ..."); empty when the port cannot tell or nothing failed since the last Open.
    virtual std::string LastError() const { return {}; }
};

}  // namespace corvane::platform
