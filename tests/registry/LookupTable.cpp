#include "tests/registry/LookupTable.h"

#include "platform/registry/ConnectionSettings.h"
#include "platform/registry/RegistryValues.h"

namespace corvane::platform::test {

namespace {

constexpr const char* Multiplexer = "Drivers\\BuiltIn\\Multiplexer";
constexpr const char* Ril = "Software\\Microsoft\\RIL";

// Remembers which values were asked for, to tell a value that was read from one that was not.
class RecordingRegistry : public Registry {
  public:
    explicit RecordingRegistry(const Registry& registry) : registry(registry) {}

    bool HasKey(const std::string& rootKey, const std::string& keyPath) const override {
        return registry.HasKey(rootKey, keyPath);
    }
    bool QueryValue(const std::string& rootKey, const std::string& keyPath,
                    const std::string& valueName, RegistryValue& value) const override {
        queried.push_back(valueName);
        return registry.QueryValue(rootKey, keyPath, valueName, value);
    }

    mutable std::vector<std::string> queried;

  private:
    const Registry& registry;
};

}  // namespace

RegistryValue Bytes(uint32_t type, std::vector<uint8_t> data) {
    return {type, std::move(data)};
}

RegistryValue Unterminated(std::u16string_view text) {
    RegistryValue value = TextValue(text);
    value.data.resize(value.data.size() - 2);
    return value;
}

void PrintTo(const LookupCase& c, std::ostream* out) {
    *out << c.name;
}

std::string CaseName(const ::testing::TestParamInfo<LookupCase>& info) {
    return info.param.name;
}

const std::vector<LookupCase>& LookupCases() {
    const Value none;
    const Value com3 = TextValue(u"COM3:");
    const Value com4 = TextValue(u"COM4:");
    const Value com9 = TextValue(u"COM9:");
    const Value rate = NumberValue(9600);
    const std::vector<std::string> parentRate = {"ParentPort", "BaudRate"};
    const std::vector<std::string> bothRate = {"ParentPort", "DataPortInternal", "BaudRate"};
    // Without the multiplexer's key there is no ParentPort to ask for.
    const std::vector<std::string> rilRate = {"DataPortInternal", "BaudRate"};
    const Value tooLong = TextValue(std::u16string(PortNameCapacity, u'p'));
    // Twelve bytes fill the six units of a Windows buffer, whose last unit becomes the terminator.
    const std::string cutToCapacity = std::string("COM12:").substr(0, PortNameCapacity - 1);

    // clang-format off
    static const std::vector<LookupCase> cases = {
        {"ParentPortWins", com3, com9, rate, true, "COM3:", 9600, parentRate},
        {"EmptyParentPortIsFound", TextValue(u""), com9, rate, true, "", 9600, parentRate},
        {"TooLongFallsBack", tooLong, com9, rate, true, "COM9:", 9600, bothRate},
        {"UnterminatedTextIsCutToTheBuffer", Unterminated(u"COM12:"), com9, rate, true,
         cutToCapacity, 9600, parentRate},
        {"NoPortNoRateRead", none, none, rate, false, "unchanged", 4711, {"DataPortInternal"}},
        {"RateMissing", none, com4, none, false, "COM4:", 4711, rilRate},
        {"RateOfThreeBytes", none, com4, Bytes(REG_BINARY, {1, 2, 3}), false, "COM4:", 4711,
         rilRate},
        {"RateOfEightBytes", none, com4, Bytes(11, {1, 0, 0, 0, 0, 0, 0, 0}), false, "COM4:",
         4711, rilRate},
        {"RateOfFourBinaryBytes", none, com4, Bytes(REG_BINARY, {0x00, 0x84, 0x03, 0x00}), true,
         "COM4:", 230400, rilRate},
        {"RateOfFourTextBytes", none, com4, TextValue(u"A"), true, "COM4:", 0x41, rilRate},
        {"PortNameArrivesAsUtf8", TextValue(u"P\u00e9\U0001F4E1"), none, rate, true,
         "P\xc3\xa9\xf0\x9f\x93\xa1", 9600, parentRate},
    };
    // clang-format on
    return cases;
}

void ExpectLookup(const LookupCase& c, ValueStore& store) {
    const auto set = [&](const char* key, const char* name, const Value& value) {
        if (value) {
            store.Set(key, name, *value);
        }
    };
    set(Multiplexer, "ParentPort", c.parent);
    set(Ril, "DataPortInternal", c.data);
    set(Ril, "BaudRate", c.rate);
    RecordingRegistry registry(store.Reader());
    std::string portName = "unchanged";
    uint32_t baudRate = 4711;

    EXPECT_EQ(LookupConnectionSettings(registry, portName, baudRate), c.found);
    EXPECT_EQ(portName, c.port);
    EXPECT_EQ(baudRate, c.baud);
    EXPECT_EQ(registry.queried, c.read);
}

}  // namespace corvane::platform::test
