#include <QTest>
#include <cstring>

#include "platform/registry/RegistryValues.h"
#include "tests/app/AppTestRig.h"

namespace corvane::test {
namespace {

using platform::PortNameCapacity;

const char* Multiplexer = "Drivers\\BuiltIn\\Multiplexer";
const char* Ril = "Software\\Microsoft\\RIL";

platform::RegistryValue Text(const std::u16string& text, bool terminated = true) {
    platform::RegistryValue value = platform::TextValue(text);
    if (!terminated) {
        value.data.resize(value.data.size() - 2);
    }
    return value;
}

// Counts the values asked for, to show which ones the lookup reads.
class CountingRegistry : public platform::MemoryRegistry {
  public:
    bool QueryValue(const std::string& root, const std::string& key, const std::string& name,
                    platform::RegistryValue& value) const override {
        queried.push_back(name);
        return MemoryRegistry::QueryValue(root, key, name, value);
    }
    mutable std::vector<std::string> queried;
};

struct LookupCase {
    const char* name;
    std::optional<platform::RegistryValue> parentPort, dataPort, baudRate;
    QString portName;
    uint32_t baudRateAfter;
    bool warned;
    std::vector<std::string> read;
};

const std::u16string Longest(PortNameCapacity - 1, u'p');
const std::u16string TooLong(PortNameCapacity, u'p');
const platform::RegistryValue Rate = platform::NumberValue(38400);

const LookupCase Cases[] = {
    {"parent port wins",
     Text(u"COM7:"),
     Text(u"COM9:"),
     Rate,
     "COM7:",
     38400,
     false,
     {"ParentPort", "BaudRate"}},
    {"too long falls back",
     Text(TooLong),
     Text(u"COM9:"),
     Rate,
     "COM9:",
     38400,
     false,
     {"ParentPort", "DataPortInternal", "BaudRate"}},
    {"full and unterminated is cut",
     Text(TooLong, false),
     {},
     Rate,
     QString::fromStdU16String(Longest),
     38400,
     false,
     {"ParentPort", "BaudRate"}},
    {"longest fits",
     Text(Longest),
     {},
     Rate,
     QString::fromStdU16String(Longest),
     38400,
     false,
     {"ParentPort", "BaudRate"}},
    {"empty counts as found",
     Text(u""),
     Text(u"COM9:"),
     Rate,
     "",
     38400,
     false,
     {"ParentPort", "BaudRate"}},
    {"no port",
     {},
     {},
     Rate,
     "",
     platform::DefaultBaudRate,
     true,
     {"ParentPort", "DataPortInternal"}},
    {"no rate",
     Text(u"COM7:"),
     {},
     {},
     "COM7:",
     platform::DefaultBaudRate,
     true,
     {"ParentPort", "BaudRate"}},
    {"rate of 2 bytes",
     {},
     Text(u"COM9:"),
     platform::RegistryValue{platform::REG_DWORD, {1, 2}},
     "COM9:",
     platform::DefaultBaudRate,
     true,
     {"ParentPort", "DataPortInternal", "BaudRate"}},
    {"rate as 4 binary bytes",
     Text(u"COM7:"),
     {},
     platform::RegistryValue{platform::REG_BINARY, {0x00, 0xE1, 0x00, 0x00}},
     "COM7:",
     57600,
     false,
     {"ParentPort", "BaudRate"}},
};

}  // namespace

class SettingsLookupTest : public QObject {
    Q_OBJECT

  private slots:
    void FindsPortAndRateOrWarnsOnce_data() {
        QTest::addColumn<int>("index");
        for (size_t i = 0; i < std::size(Cases); ++i) {
            QTest::newRow(Cases[i].name) << static_cast<int>(i);
        }
    }

    void FindsPortAndRateOrWarnsOnce() {
        QFETCH(int, index);
        const LookupCase& c = Cases[index];
        CountingRegistry registry;
        registry.CreateKey(platform::HKEY_LOCAL_MACHINE, Multiplexer);
        registry.CreateKey(platform::HKEY_LOCAL_MACHINE, Ril);
        for (const auto& [key, name, value] : {std::tuple{Multiplexer, "ParentPort", c.parentPort},
                                               std::tuple{Ril, "DataPortInternal", c.dataPort},
                                               std::tuple{Ril, "BaudRate", c.baudRate}}) {
            if (value) {
                registry.SetValue(platform::HKEY_LOCAL_MACHINE, key, name, *value);
            }
        }
        DialogRig rig({.registry = false});
        UpdateDialog dialog({registry, rig.files, rig.messages, rig.updates});
        rig.messages.shown.clear();
        dialog.show();

        QCOMPARE(dialog.portName, c.portName);
        QCOMPARE(dialog.baudRate, c.baudRateAfter);
        QCOMPARE(registry.queried, c.read);
        QCOMPARE(rig.messages.shown.size(), size_t{c.warned ? 1u : 0u});
        if (c.warned) {
            const ShownMessage& warning = rig.messages.shown[0];
            QCOMPARE(warning.message.text,
                     QStringLiteral("Registry key not present. Is the RIL properly installed?"));
            QCOMPARE(warning.message.caption, QStringLiteral("Audio Parameter Update"));
            QCOMPARE(warning.message.icon, MessageIcon::Exclamation);
            QVERIFY(warning.modal && warning.owner == &dialog);
        }
    }
};

static RegisterTest<SettingsLookupTest> registration("SettingsLookupTest");

}  // namespace corvane::test

#include "SettingsLookupTest.moc"
