#pragma once

#include <memory>
#include <string>

#include "platform/registry/Registry.h"

namespace corvane::platform {

// The registry export a program reads its port and rate from: the one given on its command line
// (--registry FILE), else the one $CORVANE_REGISTRY names (environment: its value, or null when
// it is not set). An empty name counts as none; none chosen gives an empty name, which stands
// for the system's own registry.
std::string ChooseRegistryFile(const std::string& given, const char* environment);

// The registry the settings are looked up in: the export named, or for an empty name the
// system's own. Never null; an export that does not read gives an empty registry and the reason
// in error, naming the file.
std::unique_ptr<Registry> OpenSettingsRegistry(const std::string& file, std::string& error);

}  // namespace corvane::platform
