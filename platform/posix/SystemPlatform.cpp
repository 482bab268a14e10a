#include "platform/Platform.h"

#include "platform/posix/DlLibraryLoader.h"
#include "platform/posix/PosixSerialPort.h"
#include "platform/posix/SystemClock.h"

namespace corvane::platform {

Platform& Platform::System() {
    static posix::PosixSerialPort port;
    static posix::SystemClock clock;
    static posix::DlLibraryLoader libraries;
    static Platform system{port, clock, libraries};
    return system;
}

}  // namespace corvane::platform
