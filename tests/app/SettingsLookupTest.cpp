#include <QTest>

#include "platform/registry/RegistryValues.h"
#include "tests/app/AppTestRig.h"

namespace corvane::test {

// The window's side of the lookup (the readers' own cases are the registry tests'): what lands in
// the members, and the one warning when port or rate is missing.
class SettingsLookupTest : public QObject {
    Q_OBJECT

  private slots:
    void FillsTheMembersOrWarnsOnce_data() {
        QTest::addColumn<bool>("port");
        QTest::addColumn<bool>("rate");
        QTest::addColumn<QString>("portName");
        QTest::addColumn<uint>("baudRate");
        QTest::newRow("both") << true << true << "COM7:" << 38400u;
        QTest::newRow("no port, rate not read") << false << true << "" << 115200u;
        QTest::newRow("no rate, port kept") << true << false << "COM7:" << 115200u;
    }

    void FillsTheMembersOrWarnsOnce() {
        QFETCH(bool, port);
        QFETCH(bool, rate);
        QFETCH(QString, portName);
        QFETCH(uint, baudRate);
        DialogRig rig({.registry = false});
        const char* ril = "Software\\Microsoft\\RIL";
        if (port) {
            rig.registry.SetValue(platform::HKEY_LOCAL_MACHINE, ril, "DataPortInternal",
                                  platform::TextValue(u"COM7:"));
        }
        if (rate) {
            rig.registry.SetValue(platform::HKEY_LOCAL_MACHINE, ril, "BaudRate",
                                  platform::NumberValue(38400));
        }
        rig.messages.shown.clear();
        UpdateDialog dialog({rig.registry, rig.files, rig.messages, rig.updates});
        dialog.show();

        QCOMPARE(dialog.portName, portName);
        QCOMPARE(dialog.baudRate, baudRate);
        QCOMPARE(rig.messages.shown.size(), size_t{port && rate ? 0u : 1u});
        if (!rig.messages.shown.empty()) {
            const ShownMessage& warning = rig.messages.shown[0];
            QCOMPARE(warning.message.text,
                     QStringLiteral("Registry key not present. Is the RIL properly installed?"));
            QCOMPARE(warning.message.caption, QStringLiteral("Audio Parameter Update"));
            QCOMPARE(warning.message.icon, MessageIcon::Exclamation);
            QVERIFY(warning.modal && warning.owner == &dialog);
        }
    }

    void AnUnreadableRegistryExportIsNamedInTheWarning() {
        DialogRig rig({.registry = false});
        rig.messages.shown.clear();
        const std::string problem =
            "/etc/corvane/registry.reg: line 3: a key line must end with ']'";
        UpdateDialog dialog({rig.registry, rig.files, rig.messages, rig.updates, problem});
        dialog.show();
        QCOMPARE(rig.messages.shown.size(), size_t{1});
        QCOMPARE(rig.messages.shown[0].message.text,
                 QStringLiteral("Registry key not present. Is the RIL properly installed?\r\n") +
                     QString::fromStdString(problem));
    }
};

static RegisterTest<SettingsLookupTest> registration("SettingsLookupTest");

}  // namespace corvane::test

#include "SettingsLookupTest.moc"
