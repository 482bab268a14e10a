#pragma once

#include <cstddef>

#include "line/PlugTracker.h"
#include "line/PortRuns.h"
#include "line/PortSelection.h"

namespace corvane::line {

// A watch of a line, one look at a time: each module once as its port appears.
class PortWatch {
  public:
    PortWatch(PortSelection selection, PortRuns& runs)
        : selection(std::move(selection)), runs(runs) {}

    // Starts the update of each port that appeared since the previous look, up to room of them.
    // A port whose previous update still runs, or for which there is no room, counts as new at
    // the next look again. Returns how many it started.
    size_t Look(size_t room);

  private:
    PortSelection selection;
    PortRuns& runs;
    PlugTracker tracker;
};

}  // namespace corvane::line
