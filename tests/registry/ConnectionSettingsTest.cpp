#include "platform/registry/ConnectionSettings.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/registry/MemoryRegistry.h"
#include "platform/registry/RegistryValues.h"

namespace corvane::platform {
namespace {

constexpr const char* Multiplexer = "Drivers\\BuiltIn\\Multiplexer";
constexpr const char* Ril = "Software\\Microsoft\\RIL";

// Remembers which values were asked for, to tell a value that was read from one that was not.
class RecordingRegistry : public MemoryRegistry {
  public:
    bool QueryValue(const std::string& rootKey, const std::string& keyPath,
                    const std::string& valueName, RegistryValue& value) const override {
        queried.push_back(valueName);
        return MemoryRegistry::QueryValue(rootKey, keyPath, valueName, value);
    }
    mutable std::vector<std::string> queried;
};

RegistryValue Bytes(uint32_t type, std::vector<uint8_t> data) {
    return {type, std::move(data)};
}

// A text value cut just before its terminator.
RegistryValue Unterminated(std::u16string_view text) {
    RegistryValue value = TextValue(text);
    value.data.resize(value.data.size() - 2);
    return value;
}

using Value = std::optional<RegistryValue>;
const Value None;
const Value Com3 = TextValue(u"COM3:");
const Value Com4 = TextValue(u"COM4:");
const Value Com9 = TextValue(u"COM9:");
const Value Rate = NumberValue(9600);

struct LookupCase {
    const char* name;
    Value parent, data, rate;  // what the registry holds
    bool found;
    std::string port;  // afterwards; "unchanged" when the lookup must not touch it
    uint32_t baud;     // afterwards; 4711 when the lookup must not touch it
    std::vector<std::string> read;
};

void PrintTo(const LookupCase& c, std::ostream* out) {
    *out << c.name;
}

class LookupConnectionSettingsTest : public ::testing::TestWithParam<LookupCase> {};

TEST_P(LookupConnectionSettingsTest, ReadsInOrderAndStopsWhereItMust) {
    const LookupCase& c = GetParam();
    RecordingRegistry registry;
    const auto set = [&](const char* key, const char* name, const Value& value) {
        if (value) {
            registry.SetValue(HKEY_LOCAL_MACHINE, key, name, *value);
        }
    };
    set(Multiplexer, "ParentPort", c.parent);
    set(Ril, "DataPortInternal", c.data);
    set(Ril, "BaudRate", c.rate);
    std::string portName = "unchanged";
    uint32_t baudRate = 4711;

    EXPECT_EQ(LookupConnectionSettings(registry, portName, baudRate), c.found);
    EXPECT_EQ(portName, c.port);
    EXPECT_EQ(baudRate, c.baud);
    EXPECT_EQ(registry.queried, c.read);
}

const std::vector<std::string> ParentRate = {"ParentPort", "BaudRate"};
const std::vector<std::string> BothRate = {"ParentPort", "DataPortInternal", "BaudRate"};
// Without the multiplexer's key there is no ParentPort to ask for.
const std::vector<std::string> RilRate = {"DataPortInternal", "BaudRate"};
const Value TooLong = TextValue(std::u16string(PortNameCapacity, u'p'));
const Value NonAscii = TextValue(u"/dev/Mod\u00e9m-\U0001F4E1");

// clang-format off
INSTANTIATE_TEST_SUITE_P(Registry, LookupConnectionSettingsTest, ::testing::Values(
    LookupCase{"ParentPortWins", Com3, Com9, Rate, true, "COM3:", 9600, ParentRate},
    LookupCase{"EmptyParentPortIsFound", TextValue(u""), Com9, Rate, true, "", 9600, ParentRate},
    LookupCase{"TooLongFallsBack", TooLong, Com9, Rate, true, "COM9:", 9600, BothRate},
    LookupCase{"NoPortNoRateRead", None, None, Rate, false, "unchanged", 4711,
               {"DataPortInternal"}},
    LookupCase{"RateMissing", None, Com4, None, false, "COM4:", 4711, RilRate},
    LookupCase{"RateOfTwoBytes", None, Com4, Bytes(3, {1, 2}), false, "COM4:", 4711, RilRate},
    LookupCase{"RateOfEightBytes", None, Com4, Bytes(11, {1, 0, 0, 0, 0, 0, 0, 0}), false,
               "COM4:", 4711, RilRate},
    LookupCase{"RateOfFourBinaryBytes", None, Com4, Bytes(3, {0x00, 0x84, 0x03, 0x00}), true,
               "COM4:", 230400, RilRate},
    LookupCase{"RateOfFourTextBytes", None, Com4, TextValue(u"A"), true, "COM4:", 0x41, RilRate},
    LookupCase{"PortNameArrivesAsUtf8", NonAscii, None, Rate, true,
               "/dev/Mod\xc3\xa9m-\xf0\x9f\x93\xa1", 9600, ParentRate}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

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
