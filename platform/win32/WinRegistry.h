#pragma once

#include <string>

#include "platform/registry/Registry.h"

namespace corvane::platform::win32 {

// The system's registry, read through the Win32 registry calls. Of the roots only
// HKEY_LOCAL_MACHINE is known. Keys are opened with read access, never created; names are
// UTF-8 and compare as the registry compares them.
class WinRegistry final : public Registry {
  public:
    bool HasKey(const std::string& rootKey, const std::string& keyPath) const override;
    bool QueryValue(const std::string& rootKey, const std::string& keyPath,
                    const std::string& valueName, RegistryValue& value) const override;
};

}  // namespace corvane::platform::win32
