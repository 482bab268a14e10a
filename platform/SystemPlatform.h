#pragma once

#include <memory>

#include "platform/Platform.h"

namespace corvane::platform {

// The running system's port, clock and library loader for one run. Each value has its own port
// object, so runs on different threads share nothing mutable.
class SystemPlatform {
  public:
    SystemPlatform();  // one per backend
    ~SystemPlatform() = default;

    SystemPlatform(const SystemPlatform&) = delete;
    SystemPlatform& operator=(const SystemPlatform&) = delete;

    Platform& Get() { return platform; }

  private:
    std::unique_ptr<SerialPort> port;
    std::unique_ptr<Clock> clock;
    std::unique_ptr<LibraryLoader> libraries;
    Platform platform;
};

}  // namespace corvane::platform
