#include "platform/win32/WinRegistry.h"

#include <string_view>

namespace {

// Taken before <windows.h> makes HKEY_LOCAL_MACHINE the name of the real root's handle.
constexpr std::string_view LocalMachineName = corvane::platform::HKEY_LOCAL_MACHINE;

}  // namespace

#include <windows.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "platform/win32/WideText.h"

namespace corvane::platform::win32 {

namespace {

// A key open for reading, closed when it goes out of scope.
class OpenKey {
  public:
    OpenKey(const std::string& rootKey, const std::string& keyPath) {
        const std::optional<std::wstring> path = WideFromUtf8(keyPath);
        if (rootKey != LocalMachineName || !path ||
            RegOpenKeyExW(HKEY_LOCAL_MACHINE, path->c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
            key = nullptr;
        }
    }
    ~OpenKey() {
        if (key != nullptr) {
            RegCloseKey(key);
        }
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;

    explicit operator bool() const { return key != nullptr; }
    HKEY Handle() const { return key; }

  private:
    HKEY key = nullptr;
};

}  // namespace

bool WinRegistry::HasKey(const std::string& rootKey, const std::string& keyPath) const {
    return static_cast<bool>(OpenKey(rootKey, keyPath));
}

bool WinRegistry::QueryValue(const std::string& rootKey, const std::string& keyPath,
                             const std::string& valueName, RegistryValue& value) const {
    const OpenKey key(rootKey, keyPath);
    const std::optional<std::wstring> name = WideFromUtf8(valueName);
    if (!key || !name) {
        return false;
    }
    DWORD size = 0;
    LSTATUS status =
        RegQueryValueExW(key.Handle(), name->c_str(), nullptr, nullptr, nullptr, &size);
    std::vector<uint8_t> data;
    DWORD type = REG_NONE;
    // Asked again for as long as the value outgrows the buffer between two calls; never with a
    // null buffer, for which the call only tells the size.
    while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
        data.resize(std::max<DWORD>(size, 1));
        size = static_cast<DWORD>(data.size());
        status = RegQueryValueExW(key.Handle(), name->c_str(), nullptr, &type, data.data(), &size);
        if (status == ERROR_SUCCESS) {
            data.resize(size);
            value = {type, std::move(data)};
            return true;
        }
    }
    return false;
}

}  // namespace corvane::platform::win32
