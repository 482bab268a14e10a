#pragma once

#include <string>

namespace corvane::platform {

inline constexpr const char* DefaultRegistryFile = "/etc/corvane/registry.reg";

// The registry export a program reads its port and rate from: the one given on its command line
// (--registry FILE), else the one $CORVANE_REGISTRY names (environment: its value, or null when
// it is not set), else DefaultRegistryFile. An empty name counts as none.
std::string ChooseRegistryFile(const std::string& given, const char* environment);

}  // namespace corvane::platform
