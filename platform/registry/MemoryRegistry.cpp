#include "platform/registry/MemoryRegistry.h"

#include <algorithm>
#include <array>
#include <utility>

namespace corvane::platform {

namespace {

struct RootName {
    const char* full;
    const char* abbreviation;
};

constexpr std::array<RootName, 5> RootNames{{
    {"HKEY_LOCAL_MACHINE", "HKLM"},
    {"HKEY_CURRENT_USER", "HKCU"},
    {"HKEY_CLASSES_ROOT", "HKCR"},
    {"HKEY_USERS", "HKU"},
    {"HKEY_CURRENT_CONFIG", "HKCC"},
}};

// Only ASCII letters are folded: the names this tool reads are ASCII.
std::string Folded(std::string_view text) {
    std::string folded(text);
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return folded;
}

// Calls visit with each non-empty part of a key path, in order, while it returns true.
template <typename Visit>
void ForEachPart(std::string_view path, Visit visit) {
    while (!path.empty()) {
        const size_t end = std::min(path.find('\\'), path.size());
        if (end > 0 && !visit(path.substr(0, end))) {
            return;
        }
        path.remove_prefix(std::min(end + 1, path.size()));
    }
}

// Characters, not bytes: UTF-8 continuation bytes do not count.
size_t CharacterCount(std::string_view text) {
    size_t count = 0;
    for (const char c : text) {
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    }
    return count;
}

}  // namespace

std::optional<std::string> MemoryRegistry::CanonicalRoot(const std::string& rootKey) {
    const std::string folded = Folded(rootKey);
    for (const RootName& root : RootNames) {
        if (folded == Folded(root.full) || folded == Folded(root.abbreviation)) {
            return root.full;
        }
    }
    return std::nullopt;
}

std::string MemoryRegistry::PathProblem(const std::string& keyPath) {
    size_t depth = 0;
    std::string problem;
    ForEachPart(keyPath, [&](std::string_view part) {
        if (CharacterCount(part) > LongestKeyName) {
            problem = "a key name longer than " + std::to_string(LongestKeyName) + " characters";
        } else if (++depth > DeepestKey) {
            problem = "keys deeper than " + std::to_string(DeepestKey) + " levels";
        }
        return problem.empty();
    });
    return problem;
}

template <typename Self>
auto MemoryRegistry::Find(Self& self, const std::string& rootKey, std::string_view keyPath)
    -> decltype(&self.roots.begin()->second) {
    const std::optional<std::string> root = CanonicalRoot(rootKey);
    const auto found = root ? self.roots.find(*root) : self.roots.end();
    if (found == self.roots.end()) {
        return nullptr;
    }
    auto* key = &found->second;
    ForEachPart(keyPath, [&](std::string_view part) {
        const auto subkey = key->subkeys.find(Folded(part));
        key = subkey != key->subkeys.end() ? &subkey->second : nullptr;
        return key != nullptr;
    });
    return key;
}

bool MemoryRegistry::HasKey(const std::string& rootKey, const std::string& keyPath) const {
    // A root always exists, even with nothing below it.
    return Find(*this, rootKey, keyPath) != nullptr ||
           (CanonicalRoot(rootKey) && keyPath.find_first_not_of('\\') == std::string::npos);
}

bool MemoryRegistry::QueryValue(const std::string& rootKey, const std::string& keyPath,
                                const std::string& valueName, RegistryValue& value) const {
    const Key* key = Find(*this, rootKey, keyPath);
    if (key == nullptr) {
        return false;
    }
    const auto found = key->values.find(Folded(valueName));
    if (found == key->values.end()) {
        return false;
    }
    value = found->second;
    return true;
}

MemoryRegistry::Key* MemoryRegistry::CreateKey(const std::string& rootKey,
                                               const std::string& keyPath) {
    const std::optional<std::string> root = CanonicalRoot(rootKey);
    if (!root || !PathProblem(keyPath).empty()) {
        return nullptr;
    }
    // Every ancestor below the root exists as a key of its own, as in the Windows registry.
    Key* key = &roots[*root];
    ForEachPart(keyPath, [&](std::string_view part) {
        key = &key->subkeys[Folded(part)];
        return true;
    });
    return key;
}

bool MemoryRegistry::DeleteKey(const std::string& rootKey, const std::string& keyPath) {
    const std::optional<std::string> root = CanonicalRoot(rootKey);
    if (!root) {
        return false;
    }
    std::string_view path = keyPath;
    path = path.substr(0, path.find_last_not_of('\\') + 1);
    if (path.empty()) {
        roots.erase(*root);  // everything below the root
        return true;
    }
    // The parent loses the last part, and with it the whole subtree below.
    const size_t cut = path.rfind('\\');
    const std::string_view last = cut == std::string_view::npos ? path : path.substr(cut + 1);
    Key* parent = Find(*this, rootKey, cut == std::string_view::npos ? "" : path.substr(0, cut));
    if (parent != nullptr) {
        parent->subkeys.erase(Folded(last));
    }
    return true;
}

bool MemoryRegistry::SetValue(const std::string& rootKey, const std::string& keyPath,
                              const std::string& valueName, RegistryValue value) {
    Key* key = CreateKey(rootKey, keyPath);
    if (key == nullptr) {
        return false;
    }
    SetValue(*key, valueName, std::move(value));
    return true;
}

bool MemoryRegistry::DeleteValue(const std::string& rootKey, const std::string& keyPath,
                                 const std::string& valueName) {
    if (!CanonicalRoot(rootKey)) {
        return false;
    }
    if (Key* key = Find(*this, rootKey, keyPath)) {
        DeleteValue(*key, valueName);
    }
    return true;
}

void MemoryRegistry::SetValue(Key& key, const std::string& valueName, RegistryValue value) {
    key.values[Folded(valueName)] = std::move(value);
}

void MemoryRegistry::DeleteValue(Key& key, const std::string& valueName) {
    key.values.erase(Folded(valueName));
}

}  // namespace corvane::platform
