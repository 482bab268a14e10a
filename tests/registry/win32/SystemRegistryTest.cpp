// The lookup table once more, against the system's registry: the values are written with the
// registry's own calls and read back through WinRegistry.

#include "platform/win32/WideText.h"
#include "platform/win32/WinRegistry.h"
#include "tests/registry/LookupTable.h"

#include <vector>

// After the seam's headers: <windows.h> makes macros of the names they declare.
#include <windows.h>

namespace corvane::platform::test {
namespace {

void DeleteWrittenKeys() {
    for (const wchar_t* key : {L"Drivers\\BuiltIn\\Multiplexer", L"Software\\Microsoft\\RIL"}) {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, key);
    }
}

class SystemStore : public ValueStore {
  public:
    // Also clears what an interrupted earlier run left behind.
    SystemStore() { DeleteWrittenKeys(); }
    ~SystemStore() override { DeleteWrittenKeys(); }

    void Set(const std::string& keyPath, const std::string& name,
             const RegistryValue& value) override {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, win32::WideFromUtf8(keyPath)->c_str(), 0,
                                  nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        // Text whose count leaves out a terminator that follows it in memory is stored with the
        // terminator; a non-zero unit behind the data keeps an unterminated text as it is.
        std::vector<uint8_t> data = value.data;
        data.insert(data.end(), {0xFF, 0xFF});
        EXPECT_EQ(RegSetValueExW(key, win32::WideFromUtf8(name)->c_str(), 0, value.type,
                                 data.data(), static_cast<DWORD>(value.data.size())),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
    const Registry& Reader() const override { return registry; }

  private:
    win32::WinRegistry registry;
};

class SystemRegistryLookupTest : public ::testing::TestWithParam<LookupCase> {};

TEST_P(SystemRegistryLookupTest, ReadsInOrderAndStopsWhereItMust) {
    SystemStore store;
    ExpectLookup(GetParam(), store);
}

INSTANTIATE_TEST_SUITE_P(Registry, SystemRegistryLookupTest, ::testing::ValuesIn(LookupCases()),
                         CaseName);

}  // namespace
}  // namespace corvane::platform::test
