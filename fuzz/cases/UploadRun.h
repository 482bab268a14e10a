#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "fuzz/cases/Violations.h"
#include "fuzz/cases/WireWrites.h"
#include "link/ResultCode.h"
#include "platform/Platform.h"
#include "tests/support/ScriptedModule.h"
#include "upload/ProgressCallback.h"

namespace corvane::fuzz {

inline constexpr const char* SetName = "aud";
inline constexpr const char* SwitchOff = "AT^QMSO\r";

// The module a case runs against: the family the procedure expects, or the other one, which
// answers block commands in the mode the procedure does not expect.
struct ModuleSetup {
    test::ScriptedModule::Family family;
    bool echo;
    bool numeric;
};

// What one run of an upload procedure left behind.
struct UploadOutcome {
    ResultCode result = ResultOk;
    // Every write after the handshake: the transfer, then the closing commands.
    std::vector<WireWrite> transfer;
    std::vector<std::pair<uint32_t, uint32_t>> progress;
    bool portClosed = false;
    bool libraryReleased = false;
};

// Runs one upload of file (written to the scratch file) against a scripted module on the fake
// port and the virtual clock, with a power library installed.
using Procedure = ResultCode (*)(platform::Platform& platform, const std::string& path,
                                 const ProgressCallback& progress);
UploadOutcome RunUpload(Procedure procedure, std::span<const uint8_t> file,
                        const ModuleSetup& module);

// A Procedure: one run of the upload class as the worker makes it.
template <typename Upload>
ResultCode UploadWith(platform::Platform& platform, const std::string& path,
                      const ProgressCallback& progress) {
    Upload upload(platform);
    return upload.Upload(SetName, path, "COM1:", 115200, progress);
}

// Properties every run with an answering module has: a result the procedure can give, the
// module switched off as the last word, and port and power library released.
void ExpectClosedDown(const UploadOutcome& outcome, std::initializer_list<ResultCode> results,
                      Violations& violations);

}  // namespace corvane::fuzz
