#pragma once

#include <QString>

#include "app/StationWindow.h"
#include "app/core/StationArguments.h"
#include "platform/registry/Registry.h"

namespace corvane {

// The station on the running system as the command line sets it up: each port's update through
// its own line; the rate from --baud, else the registry's, else the default; the record from
// --record, else the one in the user's data folder.
StationController::Setup StationSetup(const StationArguments& arguments,
                                      const platform::Registry& registry);

// Shows the station and returns once it has ended, which is only without runs.
void RunStationWindow(const StationServices& services, bool fullScreen);

// Opens the station and saves what it shows as a PNG; false when the file could not be written.
bool RenderStationWindow(const StationServices& services, const QString& pngPath);

}  // namespace corvane
