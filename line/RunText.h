#pragma once

#include <string>

#include "line/PortRuns.h"
#include "upload/UploadPhase.h"

namespace corvane::line {

// What the run is doing, as a display shows it while it lasts: "finding the rate...",
// "module answers at 115200 baud", "writing block 7 of 20", "writing record 7",
// "switching the module off".
std::string PhaseText(const PhaseReport& report);

// What the result of one port's update says in a few words: "written in 16.4 s",
// "failed: 6 Possibly modem not connected.", "stopped: 3 blocks were written".
std::string PortResultHeadline(const PortResult& result);
// The same on one line with the outcome's detail, where a stop did not end it:
// "failed: 6 Possibly modem not connected. (...detail...)".
std::string PortResultText(const PortResult& result);

}  // namespace corvane::line
