#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "link/ModuleLink.h"
#include "link/ResultCode.h"
#include "platform/Clock.h"
#include "upload/ParameterFile.h"

namespace corvane {

// What both upload procedures do around their transfer: take the file, the port and the module
// in that order and make sure the module answers, and give them back in the right order on
// every path.
class UploadSession {
  public:
    // closingPause: the wait after the switch-off command, before the radio is powered down.
    UploadSession(ModuleLink* link, platform::Clock& clock, uint32_t closingPause);

    // One whole run: opens the file, then the port, finds the module's rate, powers and resets
    // the module and checks that it answers "AT\r"; only then runs the transfer, and ends with
    // the closing sequence whatever its result. A run that fails before the module answered
    // releases what it took (file first, then the port) and says why; a missing link or an
    // unusable set name touches nothing.
    template <typename Transfer>
    ResultCode Run(const char* setName, const std::string& filePath, const std::string& portName,
                   uint32_t baudRate, Transfer transfer) {
        const ResultCode started = Start(setName, filePath, portName, baudRate);
        return started != ResultOk ? started : Finish(transfer());
    }

    // Sends a single command whose reply does not matter.
    void SendUnchecked(const char* command);

    ParameterFile& File() { return file; }
    // The reply buffer of every exchange of the run.
    std::span<char> Reply() { return reply; }

  private:
    ResultCode Start(const char* setName, const std::string& filePath, const std::string& portName,
                     uint32_t baudRate);
    bool Handshake();
    // Switches the module off, powers the radio down, closes the port, then the file.
    ResultCode Finish(ResultCode result);
    // The ways out before the module is known to answer: file first, then the port.
    ResultCode Abandon(ResultCode result, bool portOpen);

    ModuleLink* link;
    platform::Clock& clock;
    uint32_t closingPause;
    ParameterFile file;
    std::array<char, ReplyBufferSize> reply{};
};

}  // namespace corvane
