#include "platform/Platform.h"
#include "platform/win32/WinClock.h"
#include "platform/win32/WinLibraryLoader.h"
#include "platform/win32/WinSerialPort.h"

namespace corvane::platform {

Platform& Platform::System() {
    static win32::WinSerialPort port;
    static win32::WinClock clock;
    static win32::WinLibraryLoader libraries;
    static Platform system{port, clock, libraries};
    return system;
}

}  // namespace corvane::platform
