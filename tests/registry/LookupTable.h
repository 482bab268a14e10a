#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/Registry.h"

namespace corvane::platform::test {

using Value = std::optional<RegistryValue>;

// A value of any type made of the given bytes.
RegistryValue Bytes(uint32_t type, std::vector<uint8_t> data);
// A text value cut just before its terminator.
RegistryValue Unterminated(std::u16string_view text);

// What the registry holds for one lookup, and what the lookup must make of it.
struct LookupCase {
    const char* name;
    // ParentPort, DataPortInternal and BaudRate; a key without any value does not exist
    Value parent, data, rate;
    bool found;
    std::string port;  // afterwards; "unchanged" when the lookup must not touch it
    uint32_t baud;     // afterwards; 4711 when the lookup must not touch it
    std::vector<std::string> read;
};

void PrintTo(const LookupCase& c, std::ostream* out);
std::string CaseName(const ::testing::TestParamInfo<LookupCase>& info);

const std::vector<LookupCase>& LookupCases();

// A registry that a case's values can be written into: the one in memory or the system's.
class ValueStore {
  public:
    virtual ~ValueStore() = default;
    // Under HKEY_LOCAL_MACHINE, creating the key when needed.
    virtual void Set(const std::string& keyPath, const std::string& name,
                     const RegistryValue& value) = 0;
    virtual const Registry& Reader() const = 0;
};

// Writes the case's values into the store, looks the settings up through its reader and checks
// the outcome and which values were read.
void ExpectLookup(const LookupCase& c, ValueStore& store);

}  // namespace corvane::platform::test
