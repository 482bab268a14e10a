#pragma once

#include <cstdint>

#include "link/ModuleLink.h"
#include "upload/ResultCode.h"
#include "upload/UploadSession.h"

namespace corvane {

// The wait after the switch-off command before a K47 module's radio is powered down.
inline constexpr uint32_t BinaryClosingPause = 200;

// Writes a binary parameter file (big-endian length-prefixed records) into a K47 module that the
// session has reached. Before each record and its write command it asks the session whether to
// stop.
ResultCode TransferBinary(ModuleLink& link, UploadSession& session);

}  // namespace corvane
