#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fuzz/cases/Violations.h"
#include "fuzz/cases/WireWrites.h"
#include "sim/ModemOptions.h"
#include "upload/ResultCode.h"
#include "upload/UploadJob.h"

namespace corvane::fuzz {

inline constexpr const char* SetName = "aud";
inline constexpr const char* SwitchOff = "AT^QMSO\r";

// The module an upload met: one of the family the procedure is for, which takes every block
// the way the procedure sends it, or one that asks for the other family's mode and takes the
// block in that mode.
enum class ModuleKind { SameFamily, OtherFamily };

// What one run of an upload procedure left behind.
struct UploadOutcome {
    ResultCode result = ResultOk;
    // Every write after the handshake: the transfer, then the closing commands.
    std::vector<WireWrite> transfer;
    std::vector<std::pair<uint32_t, uint32_t>> progress;
    bool portClosed = false;
    bool libraryReleased = false;
};

// Runs one upload of file (written to the scratch file) with the procedure against the virtual
// module on the fake port and the virtual clock, with a power library installed.
UploadOutcome RunUpload(UploadProcedure procedure, std::span<const uint8_t> file,
                        sim::Family family, ModuleKind kind);

using Judge = Violations (*)(std::string_view file, const UploadOutcome& run, ModuleKind module);
// Uploads the file to a module of the procedure's family (with echo) and to one that asks for the
// other mode (without echo), and judges both runs.
Violations UploadToBothFamilies(UploadProcedure procedure, Judge judge,
                                std::span<const uint8_t> file, sim::Family family);

// Properties every run with an answering module has: a result the procedure can give, the
// module switched off as the last word, and port and power library released.
void ExpectClosedDown(const UploadOutcome& outcome, std::initializer_list<ResultCode> results,
                      Violations& violations);

}  // namespace corvane::fuzz
