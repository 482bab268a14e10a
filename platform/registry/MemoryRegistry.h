#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/registry/Registry.h"

namespace corvane::platform {

// A registry held in memory, as a tree of keys. Key paths and value names compare without regard
// to ASCII letter case, as the Windows registry does; "HKLM" and the other usual abbreviations
// name their roots. The default value of a key has the empty name. Key names and depth are
// bounded as in the Windows registry, so that what a file can make of it grows only with the
// file: every key is one node holding its own name, never its whole path.
class MemoryRegistry : public Registry {
  public:
    static constexpr size_t LongestKeyName = 255;  // characters
    static constexpr size_t DeepestKey = 512;      // levels below the root

    class Key;

    bool HasKey(const std::string& rootKey, const std::string& keyPath) const override;
    bool QueryValue(const std::string& rootKey, const std::string& keyPath,
                    const std::string& valueName, RegistryValue& value) const override;

    // The mutators refuse an unknown root and a path beyond the bounds (null or false). Creating
    // a key creates its ancestors; deleting one deletes everything below it. Setting a value
    // creates its key. The key that CreateKey hands back stays valid until it or an ancestor is
    // deleted, or the registry is cleared.
    Key* CreateKey(const std::string& rootKey, const std::string& keyPath);
    bool DeleteKey(const std::string& rootKey, const std::string& keyPath);
    bool SetValue(const std::string& rootKey, const std::string& keyPath,
                  const std::string& valueName, RegistryValue value);
    bool DeleteValue(const std::string& rootKey, const std::string& keyPath,
                     const std::string& valueName);
    void Clear() { roots.clear(); }

    // The same on a key already found, for a reader that sets many values under one key.
    static void SetValue(Key& key, const std::string& valueName, RegistryValue value);
    static void DeleteValue(Key& key, const std::string& valueName);

    // The root's full name for a full name or an abbreviation, in any letter case.
    static std::optional<std::string> CanonicalRoot(const std::string& rootKey);
    // Why the path is beyond the bounds, in a few words; empty when it is within them.
    static std::string PathProblem(const std::string& keyPath);

  private:
    // Walks to the key below the root; null when a part is missing. A template, so that the
    // const and the mutable registry share it.
    template <typename Self>
    static auto Find(Self& self, const std::string& rootKey, std::string_view keyPath)
        -> decltype(&self.roots.begin()->second);

    std::map<std::string, Key> roots;  // by canonical root name
};

class MemoryRegistry::Key {
  public:
    // Names folded to lower case.
    std::map<std::string, Key> subkeys;
    std::map<std::string, RegistryValue> values;
};

}  // namespace corvane::platform
