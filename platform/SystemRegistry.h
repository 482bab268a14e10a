#pragma once

#include <memory>
#include <string>

#include "platform/registry/Registry.h"

namespace corvane::platform {

// What the system's own registry is called in help texts.
extern const char* const SystemRegistryName;
// And in messages about what it holds.
extern const char* const SystemRegistryDescription;
// What to set, and where, when the port or the rate is not found there.
extern const char* const SettingsAdvice;

// The system's own registry: Windows' registry, or elsewhere the registry export that stands in
// for it. Never null; when the export does not read, an empty registry and the reason in error.
std::unique_ptr<Registry> OpenSystemRegistry(std::string& error);

}  // namespace corvane::platform
