#pragma once

#include <map>
#include <optional>
#include <string>

#include "platform/registry/Registry.h"

namespace corvane::platform {

// A registry held in memory. Key paths and value names compare without regard to ASCII letter
// case, as the Windows registry does; "HKLM" and the other usual abbreviations name their roots.
// The default value of a key has the empty name.
class MemoryRegistry : public Registry {
  public:
    bool HasKey(const std::string& rootKey, const std::string& keyPath) const override;
    bool QueryValue(const std::string& rootKey, const std::string& keyPath,
                    const std::string& valueName, RegistryValue& value) const override;

    // The mutators report false for an unknown root. Creating a key creates its ancestors;
    // deleting one deletes everything below it. Setting a value creates its key.
    bool CreateKey(const std::string& rootKey, const std::string& keyPath);
    bool DeleteKey(const std::string& rootKey, const std::string& keyPath);
    bool SetValue(const std::string& rootKey, const std::string& keyPath,
                  const std::string& valueName, RegistryValue value);
    bool DeleteValue(const std::string& rootKey, const std::string& keyPath,
                     const std::string& valueName);
    void Clear() { keys.clear(); }

    // The root's full name for a full name or an abbreviation, in any letter case.
    static std::optional<std::string> CanonicalRoot(const std::string& rootKey);

  private:
    using Values = std::map<std::string, RegistryValue>;

    // "ROOT\part\part" folded to lower case, empty path parts dropped.
    static std::optional<std::string> KeyId(const std::string& rootKey, const std::string& path);

    std::map<std::string, Values> keys;
};

}  // namespace corvane::platform
