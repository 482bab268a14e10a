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
};

}  // namespace corvane::platform
