#pragma once

#include "platform/Clock.h"
#include "platform/LibraryLoader.h"
#include "platform/SerialPort.h"

namespace corvane::platform {

// What the link needs of the operating system, bundled so that tests can hand in fakes.
struct Platform {
    SerialPort& port;
    Clock& clock;
    LibraryLoader& libraries;

    // The running system's port, clock and loader. There is one serial port object per process:
    // one update runs at a time, as the power library's process-wide record already requires.
    static Platform& System();
};

}  // namespace corvane::platform
