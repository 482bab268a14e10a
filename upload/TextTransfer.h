#pragma once

#include <cstdint>

#include "link/ModuleLink.h"
#include "upload/ResultCode.h"
#include "upload/UploadSession.h"

namespace corvane {

// The wait after the switch-off command before a K31 module's radio is powered down.
inline constexpr uint32_t TextClosingPause = 100;

// Writes a text parameter file ("Lines:" header, data lines sent in pairs) into a K31 module that
// the session has reached. Before each block it asks the session whether to stop: a stop there
// cancels the set once a block of it went out.
ResultCode TransferText(ModuleLink& link, UploadSession& session);

}  // namespace corvane
