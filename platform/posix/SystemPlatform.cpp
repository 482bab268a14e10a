#include "platform/SystemPlatform.h"

#include "platform/posix/DlLibraryLoader.h"
#include "platform/posix/PosixSerialPort.h"
#include "platform/posix/SystemClock.h"

namespace corvane::platform {

SystemPlatform::SystemPlatform()
    : port(std::make_unique<posix::PosixSerialPort>()),
      clock(std::make_unique<posix::SystemClock>()),
      libraries(std::make_unique<posix::DlLibraryLoader>()),
      platform{*port, *clock, *libraries} {}

}  // namespace corvane::platform
