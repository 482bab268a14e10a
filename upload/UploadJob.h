#pragma once

#include <cstdint>
#include <string>

#include "upload/UploadPhase.h"

namespace corvane {

// The two procedures: K31 modules take text files, K47 modules binary records.
enum class UploadProcedure { Text, Binary };

// The procedure for a module's model code ("31", "47", "316", ...), read the way atoi reads it:
// below 40 or exactly 316 is the text procedure, anything else the binary one.
UploadProcedure ProcedureForModelCode(const char* modelCode);

// The parameter set every update writes.
inline constexpr const char* AudioParameterSet = "aud";

// One update as the window or the command asks for it, passed down whole.
struct UploadJob {
    UploadProcedure procedure = UploadProcedure::Text;
    std::string setName = AudioParameterSet;
    std::string filePath;  // UTF-8
    std::string portName;
    uint32_t baudRate = 0;
};

}  // namespace corvane
