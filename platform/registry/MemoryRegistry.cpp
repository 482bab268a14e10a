#include "platform/registry/MemoryRegistry.h"

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
std::string Folded(const std::string& text) {
    std::string folded = text;
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return folded;
}

bool IsSameOrBelow(const std::string& id, const std::string& ancestor) {
    return id == ancestor ||
           (id.size() > ancestor.size() && id.compare(0, ancestor.size(), ancestor) == 0 &&
            id[ancestor.size()] == '\\');
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

std::optional<std::string> MemoryRegistry::KeyId(const std::string& rootKey,
                                                 const std::string& path) {
    std::optional<std::string> id = CanonicalRoot(rootKey);
    if (!id) {
        return std::nullopt;
    }
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string::npos) {
            end = path.size();
        }
        if (end > start) {
            *id += '\\';
            *id += path.substr(start, end - start);
        }
        start = end + 1;
    }
    return Folded(*id);
}

bool MemoryRegistry::HasKey(const std::string& rootKey, const std::string& keyPath) const {
    const std::optional<std::string> id = KeyId(rootKey, keyPath);
    // A root always exists, even with nothing below it.
    return id && (keys.contains(*id) || id->find('\\') == std::string::npos);
}

bool MemoryRegistry::QueryValue(const std::string& rootKey, const std::string& keyPath,
                                const std::string& valueName, RegistryValue& value) const {
    const std::optional<std::string> id = KeyId(rootKey, keyPath);
    if (!id) {
        return false;
    }
    const auto key = keys.find(*id);
    if (key == keys.end()) {
        return false;
    }
    const auto found = key->second.find(Folded(valueName));
    if (found == key->second.end()) {
        return false;
    }
    value = found->second;
    return true;
}

bool MemoryRegistry::CreateKey(const std::string& rootKey, const std::string& keyPath) {
    const std::optional<std::string> id = KeyId(rootKey, keyPath);
    if (!id) {
        return false;
    }
    // Every ancestor below the root exists as a key of its own, as in the Windows registry.
    for (size_t end = id->find('\\'); end != std::string::npos; end = id->find('\\', end + 1)) {
        keys.try_emplace(id->substr(0, end));
    }
    keys.try_emplace(*id);
    return true;
}

bool MemoryRegistry::DeleteKey(const std::string& rootKey, const std::string& keyPath) {
    const std::optional<std::string> id = KeyId(rootKey, keyPath);
    if (!id) {
        return false;
    }
    std::erase_if(keys, [&](const auto& key) { return IsSameOrBelow(key.first, *id); });
    return true;
}

bool MemoryRegistry::SetValue(const std::string& rootKey, const std::string& keyPath,
                              const std::string& valueName, RegistryValue value) {
    if (!CreateKey(rootKey, keyPath)) {
        return false;
    }
    keys[*KeyId(rootKey, keyPath)][Folded(valueName)] = std::move(value);
    return true;
}

bool MemoryRegistry::DeleteValue(const std::string& rootKey, const std::string& keyPath,
                                 const std::string& valueName) {
    const std::optional<std::string> id = KeyId(rootKey, keyPath);
    if (!id) {
        return false;
    }
    const auto key = keys.find(*id);
    if (key != keys.end()) {
        key->second.erase(Folded(valueName));
    }
    return true;
}

}  // namespace corvane::platform
