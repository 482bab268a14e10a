#include "upload/UploadSession.h"

#include <cstring>

#include "upload/BlockCommands.h"

namespace corvane {

namespace {

constexpr int HandshakeAttempts = 6;

bool IsUsableSetName(const char* setName) {
    return setName != nullptr && std::strlen(setName) <= MaxSetNameLength;
}

}  // namespace

UploadSession::UploadSession(ModuleLink* link, platform::Clock& clock, uint32_t closingPause)
    : link(link), clock(clock), closingPause(closingPause) {}

ResultCode UploadSession::Start(const char* setName, const std::string& filePath,
                                const std::string& portName, uint32_t baudRate) {
    if (link == nullptr) {
        return ResultPortUnavailable;
    }
    if (!IsUsableSetName(setName)) {
        return ResultInvalidParameters;
    }
    if (!file.Open(filePath)) {
        return ResultFileOpenFailed;
    }
    if (!link->Open(portName, baudRate)) {
        return Abandon(ResultPortUnavailable, false);
    }
    if (link->DetectBaudRate(baudRate) == -1) {
        return Abandon(ResultModemNotConnected, true);
    }
    link->PowerOnAndReset();
    if (!Handshake()) {
        return Abandon(ResultModemNotConnected, true);
    }
    return ResultOk;
}

bool UploadSession::Handshake() {
    for (int attempt = 0; attempt < HandshakeAttempts; ++attempt) {
        SendUnchecked("AT\r");
        // Verbose or numeric result, wherever it stands in the reply.
        if (std::strstr(reply.data(), "OK") != nullptr ||
            std::strchr(reply.data(), '0') != nullptr) {
            return true;
        }
    }
    return false;
}

void UploadSession::SendUnchecked(const char* command) {
    link->SendCommand(command, reply, ReplyBufferSize);
}

ResultCode UploadSession::Finish(ResultCode result) {
    SendUnchecked("AT^QMSO\r");
    clock.Sleep(closingPause);
    link->PowerOff();
    link->Close();
    file.Close();
    return result;
}

ResultCode UploadSession::Abandon(ResultCode result, bool portOpen) {
    file.Close();
    if (portOpen) {
        link->Close();
    }
    return result;
}

}  // namespace corvane
