#include "platform/SystemPlatform.h"

#include "platform/win32/WinClock.h"
#include "platform/win32/WinLibraryLoader.h"
#include "platform/win32/WinSerialPort.h"

namespace corvane::platform {

SystemPlatform::SystemPlatform()
    : port(std::make_unique<win32::WinSerialPort>()),
      clock(std::make_unique<win32::WinClock>()),
      libraries(std::make_unique<win32::WinLibraryLoader>()),
      platform{*port, *clock, *libraries} {}

}  // namespace corvane::platform
