#include "platform/registry/ConnectionSettings.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/registry/MemoryRegistry.h"
#include "platform/registry/RegistryValues.h"
#include "tests/registry/LookupTable.h"

namespace corvane::platform {
namespace {

constexpr const char* Ril = "Software\\Microsoft\\RIL";

using test::Bytes;
using test::Unterminated;
using test::Value;

class MemoryStore : public test::ValueStore {
  public:
    void Set(const std::string& keyPath, const std::string& name,
             const RegistryValue& value) override {
        registry.SetValue(HKEY_LOCAL_MACHINE, keyPath, name, value);
    }
    const Registry& Reader() const override { return registry; }

  private:
    MemoryRegistry registry;
};

class LookupConnectionSettingsTest : public ::testing::TestWithParam<test::LookupCase> {};

TEST_P(LookupConnectionSettingsTest, ReadsInOrderAndStopsWhereItMust) {
    MemoryStore store;
    test::ExpectLookup(GetParam(), store);
}

INSTANTIATE_TEST_SUITE_P(Registry, LookupConnectionSettingsTest,
                         ::testing::ValuesIn(test::LookupCases()), test::CaseName);

TEST(LookupConnectionSettingsTest, SaysWhatIsMissingOrStoredAsTheWrongKind) {
    const std::string under = " under [HKEY_LOCAL_MACHINE\\Software\\Microsoft\\RIL]";
    const struct {
        Value rate;
        std::string missing;
    } cases[] = {
        {{}, "no BaudRate" + under},
        {TextValue(u"115200"),
         "BaudRate" + under + " is stored as the text \"115200\", not as a number (dword)"},
        {Bytes(REG_BINARY, {0x00, 0xC2}),
         "BaudRate" + under + " holds 2 bytes, not the 4 of a number"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.missing);
        MemoryRegistry registry;
        registry.SetValue(HKEY_LOCAL_MACHINE, Ril, "DataPortInternal", TextValue(u"COM3:"));
        if (c.rate) {
            registry.SetValue(HKEY_LOCAL_MACHINE, Ril, "BaudRate", *c.rate);
        }
        std::string port;
        uint32_t rate = 0;
        std::string missing;
        EXPECT_FALSE(LookupConnectionSettings(registry, port, rate, &missing));
        EXPECT_EQ(missing, c.missing);
    }
}

TEST(ReadRegistryTextTest, SizeRulesWithSixUnits) {
    struct Case {
        RegistryValue stored;
        bool found;
        std::u16string expected;  // the buffer's six units afterwards
    };
    const std::vector<Case> cases = {
        {TextValue(u"COM1:"), true, std::u16string(u"COM1:\0", 6)},
        {Unterminated(u"ABCDEF"), true, std::u16string(u"ABCDE\0", 6)},  // 12 bytes: cut to 5
        {TextValue(u"ABCDEF"), false, std::u16string(u"xxxxx\0", 6)},    // 14 bytes do not fit
        {TextValue(u""), true, std::u16string(u"\0xxxx\0", 6)},
        {Bytes(REG_BINARY, {'A', 0, 'B'}), true, std::u16string(u"ABxxx\0", 6)},    // odd size
        {Bytes(REG_DWORD, {'1', 0, '2', 0}), true, std::u16string(u"12xxx\0", 6)},  // any type
    };
    MemoryRegistry registry;
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE("case " + std::to_string(i));
        registry.SetValue(HKEY_LOCAL_MACHINE, Ril, "Port", cases[i].stored);
        std::u16string buffer(6, u'x');
        EXPECT_EQ(ReadRegistryText(registry, HKEY_LOCAL_MACHINE, Ril, "Port", buffer.data(), 6),
                  cases[i].found);
        EXPECT_EQ(buffer, cases[i].expected);
    }
}

TEST(ReadRegistryTextTest, BufferUntouchedOnlyWhenTheKeyIsMissing) {
    MemoryRegistry registry;
    std::u16string buffer(6, u'x');
    EXPECT_FALSE(ReadRegistryText(registry, HKEY_LOCAL_MACHINE, Ril, "Port", buffer.data(), 6));
    EXPECT_EQ(buffer, u"xxxxxx");
    registry.CreateKey(HKEY_LOCAL_MACHINE, Ril);
    EXPECT_FALSE(ReadRegistryText(registry, HKEY_LOCAL_MACHINE, Ril, "Port", buffer.data(), 6));
    EXPECT_EQ(buffer, std::u16string(u"xxxxx\0", 6));
    EXPECT_FALSE(ReadRegistryText(registry, HKEY_LOCAL_MACHINE, Ril, "Port", nullptr, 6));
    EXPECT_FALSE(ReadRegistryText(registry, HKEY_LOCAL_MACHINE, Ril, "Port", buffer.data(), 0));
}

TEST(ReadRegistryNumberTest, NamesInAnyCaseAndNoDestination) {
    MemoryRegistry registry;
    registry.SetValue(HKEY_LOCAL_MACHINE, Ril, "BaudRate", NumberValue(1));
    uint32_t number = 7;
    EXPECT_FALSE(ReadRegistryNumber(registry, HKEY_LOCAL_MACHINE, Ril, "BaudRate", nullptr));
    EXPECT_FALSE(ReadRegistryNumber(registry, HKEY_LOCAL_MACHINE, Ril, "Rate", &number));
    EXPECT_EQ(number, 7u);
    EXPECT_TRUE(
        ReadRegistryNumber(registry, "hklm", "SOFTWARE\\microsoft\\ril", "baudrate", &number));
    EXPECT_EQ(number, 1u);
}

}  // namespace
}  // namespace corvane::platform
