#include "line/PortWatch.h"

namespace corvane::line {

size_t PortWatch::Look(size_t room) {
    size_t started = 0;
    for (const platform::SerialPortInfo& port : tracker.Arrived(selection.Now(true))) {
        if (started == room || runs.Busy(port.device)) {
            tracker.Postpone(port.device);
            continue;
        }
        runs.Start(port);
        ++started;
    }
    return started;
}

}  // namespace corvane::line
