#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/registry/ConnectionSettings.h"
#include "platform/registry/MemoryRegistry.h"
#include "platform/registry/RegistryValues.h"

namespace corvane::platform {
namespace {

using ::testing::ElementsAre;

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

// A text value, or one cut just before its terminator.
RegistryValue Text(const std::u16string& text, bool terminated = true) {
    RegistryValue value = TextValue(text);
    if (!terminated) {
        value.data.resize(value.data.size() - 2);
    }
    return value;
}

RegistryValue Bytes(uint32_t type, std::vector<uint8_t> data) {
    return {type, std::move(data)};
}

class ConnectionSettingsTest : public ::testing::Test {
  protected:
    void SetParentPort(const RegistryValue& value) {
        registry.SetValue(HKEY_LOCAL_MACHINE, Multiplexer, "ParentPort", value);
    }
    void SetDataPort(const RegistryValue& value) {
        registry.SetValue(HKEY_LOCAL_MACHINE, Ril, "DataPortInternal", value);
    }
    void SetBaudRate(const RegistryValue& value) {
        registry.SetValue(HKEY_LOCAL_MACHINE, Ril, "BaudRate", value);
    }
    bool Lookup() { return LookupConnectionSettings(registry, portName, baudRate); }

    RecordingRegistry registry;
    std::string portName = "unchanged";
    uint32_t baudRate = 4711;
};

// A ParentPort that fits, even an empty one, ends the search for a port.
TEST_F(ConnectionSettingsTest, ParentPortWinsAndDataPortIsNeverRead) {
    for (const std::u16string parent : {u"COM3:", u""}) {
        registry.Clear();
        registry.queried.clear();
        SetParentPort(Text(parent));
        SetDataPort(Text(u"COM9:"));
        SetBaudRate(NumberValue(115200));

        EXPECT_TRUE(Lookup());
        EXPECT_EQ(portName, std::string(parent.begin(), parent.end()));
        EXPECT_EQ(baudRate, 115200u);
        EXPECT_THAT(registry.queried, ElementsAre("ParentPort", "BaudRate"));
    }
}

TEST_F(ConnectionSettingsTest, PortNameLongerThanThePosixBufferFallsBackToDataPort) {
    SetParentPort(Text(std::u16string(PortNameCapacity, u'p')));
    SetDataPort(Text(u"/dev/ttyUSB1"));
    SetBaudRate(NumberValue(115200));

    EXPECT_TRUE(Lookup());
    EXPECT_EQ(portName, "/dev/ttyUSB1");
    EXPECT_THAT(registry.queried, ElementsAre("ParentPort", "DataPortInternal", "BaudRate"));
}

TEST_F(ConnectionSettingsTest, TextSizeRulesWithSixUnits) {
    struct Case {
        const char* what;
        RegistryValue stored;
        bool found;
        std::u16string expected;  // the buffer's six units afterwards
    };
    const std::vector<Case> cases = {
        {"five characters and terminator", Text(u"COM1:"), true, std::u16string(u"COM1:\0", 6)},
        {"twelve bytes, no terminator: cut to five", Text(u"ABCDEF", false), true,
         std::u16string(u"ABCDE\0", 6)},
        {"fourteen bytes do not fit", Text(u"ABCDEF"), false, std::u16string(u"xxxxx\0", 6)},
        {"empty text", Text(u""), true, std::u16string(u"\0xxxx\0", 6)},
        {"no data at all", Bytes(REG_SZ, {}), true, std::u16string(u"xxxxx\0", 6)},
        {"odd byte fills the low half", Bytes(REG_BINARY, {'A', 0, 'B'}), true,
         std::u16string(u"ABxxx\0", 6)},
        {"a number is copied as bytes", Bytes(REG_DWORD, {'1', 0, '2', 0}), true,
         std::u16string(u"12xxx\0", 6)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        registry.SetValue(HKEY_LOCAL_MACHINE, Ril, "Port", c.stored);
        std::u16string buffer(6, u'x');
        EXPECT_EQ(ReadRegistryText(registry, HKEY_LOCAL_MACHINE, Ril, "Port", buffer.data(), 6),
                  c.found);
        EXPECT_EQ(buffer, c.expected);
    }
}

TEST_F(ConnectionSettingsTest, TextReaderLeavesBufferAloneOnlyWhenTheKeyIsMissing) {
    std::u16string buffer(6, u'x');
    EXPECT_FALSE(ReadRegistryText(registry, HKEY_LOCAL_MACHINE, Ril, "Port", buffer.data(), 6));
    EXPECT_EQ(buffer, u"xxxxxx");

    registry.CreateKey(HKEY_LOCAL_MACHINE, Ril);
    EXPECT_FALSE(ReadRegistryText(registry, HKEY_LOCAL_MACHINE, Ril, "Port", buffer.data(), 6));
    EXPECT_EQ(buffer, std::u16string(u"xxxxx\0", 6));

    EXPECT_FALSE(ReadRegistryText(registry, HKEY_LOCAL_MACHINE, Ril, "Port", nullptr, 6));
    EXPECT_FALSE(ReadRegistryText(registry, HKEY_LOCAL_MACHINE, Ril, "Port", buffer.data(), 0));
}

TEST_F(ConnectionSettingsTest, NoPortMeansNoBaudRateRead) {
    SetBaudRate(NumberValue(115200));

    EXPECT_FALSE(Lookup());
    EXPECT_EQ(portName, "unchanged");
    EXPECT_EQ(baudRate, 4711u);
    EXPECT_THAT(registry.queried, ElementsAre("DataPortInternal"));
}

TEST_F(ConnectionSettingsTest, BaudRateNeedsExactlyFourBytesOfAnyType) {
    struct Case {
        const char* what;
        std::optional<RegistryValue> stored;
        bool found;
        uint32_t expected;
    };
    const std::vector<Case> cases = {
        {"missing", std::nullopt, false, 4711},
        {"two bytes", Bytes(REG_BINARY, {0x00, 0xC2}), false, 4711},
        {"eight bytes", Bytes(0xB, {0x00, 0xC2, 0x01, 0, 0, 0, 0, 0}), false, 4711},
        {"empty", Bytes(REG_DWORD, {}), false, 4711},
        {"dword", NumberValue(38400), true, 38400},
        {"four bytes of binary", Bytes(REG_BINARY, {0x00, 0x84, 0x03, 0x00}), true, 230400},
        {"four bytes of text", Text(u"A"), true, 0x41},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        registry.Clear();
        SetDataPort(Text(u"COM4:"));
        if (c.stored) {
            SetBaudRate(*c.stored);
        }
        portName = "unchanged";
        baudRate = 4711;
        EXPECT_EQ(Lookup(), c.found);
        EXPECT_EQ(portName, "COM4:") << "the port stays stored either way";
        EXPECT_EQ(baudRate, c.expected);
    }
}

TEST_F(ConnectionSettingsTest, NumberReaderRefusesMissingDestinationAndKey) {
    uint32_t number = 7;
    EXPECT_FALSE(ReadRegistryNumber(registry, HKEY_LOCAL_MACHINE, Ril, "BaudRate", &number));
    SetBaudRate(NumberValue(1));
    EXPECT_FALSE(ReadRegistryNumber(registry, HKEY_LOCAL_MACHINE, Ril, "BaudRate", nullptr));
    EXPECT_TRUE(
        ReadRegistryNumber(registry, "hklm", "SOFTWARE\\microsoft\\ril", "baudrate", &number));
    EXPECT_EQ(number, 1u);
}

TEST_F(ConnectionSettingsTest, PortNameArrivesAsUtf8) {
    SetParentPort(Text(u"/dev/serial/by-id/usb-Mod\u00e9m-\U0001F4E1"));
    SetBaudRate(NumberValue(115200));

    EXPECT_TRUE(Lookup());
    EXPECT_EQ(portName, "/dev/serial/by-id/usb-Mod\xc3\xa9m-\xf0\x9f\x93\xa1");
}

}  // namespace
}  // namespace corvane::platform
