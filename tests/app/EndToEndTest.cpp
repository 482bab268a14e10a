#include <QApplication>
#include <QProgressBar>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <algorithm>

#include "app/UpdateApp.h"
#include "sim/PtyModem.h"
#include "tests/app/AppTestRig.h"

namespace corvane::test {
namespace {

constexpr int UpdateTimeoutMs = 60000;
const QString Samples = QStringLiteral(CORVANE_SAMPLES_DIR);

bool Received(const sim::PtyModem& modem, const std::string& command) {
    const auto commands = modem.Commands();
    return std::find(commands.begin(), commands.end(), command) != commands.end();
}

}  // namespace

// The window against the virtual module on a pseudo-terminal, through the real procedures.
class EndToEndTest : public QObject {
    Q_OBJECT

    std::unique_ptr<sim::PtyModem> modem;

    uint32_t rate = 0;

    // A module of that family answering only at rate; fault, when given, adjusts it further.
    void StartModule(sim::Family family, uint32_t moduleRate,
                     const std::function<void(sim::ModemOptions&)>& fault = {}) {
        sim::ModemOptions options;
        options.family = family;
        options.rate = rate = moduleRate;
        if (fault) {
            fault(options);
        }
        modem = std::make_unique<sim::PtyModem>(options);
        std::string error;
        QVERIFY2(modem->Start(error), error.c_str());
    }

    RigOptions RealUpdates() {
        return {.port = modem->DevicePath(),
                .rate = rate,
                .procedure = UpdateWorker::ModuleProcedure(platform::Platform::System())};
    }

  private slots:
    void cleanup() { modem.reset(); }

    void UpdatesEachFamilyFromTheWindow_data() {
        QTest::addColumn<bool>("k47");
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("blocks");
        QTest::newRow("K31") << false << QStringLiteral("k31-audio.prm") << 3;
        QTest::newRow("K47") << true << QStringLiteral("k47-audio.prm") << 4;
    }

    void UpdatesEachFamilyFromTheWindow() {
        QFETCH(bool, k47);
        QFETCH(QString, file);
        QFETCH(int, blocks);
        StartModule(k47 ? sim::Family::K47 : sim::Family::K31, 57600);
        DialogRig rig(RealUpdates());
        rig.files.answer = Samples + '/' + file;
        QTest::mouseClick(rig.Control(1000), Qt::LeftButton);
        QTest::mouseClick(rig.Control<QRadioButton>(k47 ? 1009 : 1008), Qt::LeftButton);
        QTest::mouseClick(rig.Control(1007), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(rig.messages.shown.size(), size_t{1}, UpdateTimeoutMs);

        QCOMPARE(rig.messages.shown[0].message.text,
                 QStringLiteral("Audio Parameter Update successfull"));
        QCOMPARE(rig.Control<QProgressBar>(1005)->value(), 100);
        QCOMPARE(rig.Control<QProgressBar>(1005)->maximum(), 100);
        QCOMPARE(static_cast<int>(modem->StoredSet().size()), blocks);
        QVERIFY(Received(*modem, "AT^QMSO"));
    }

    void FamilyChoosesTheProcedure_data() {
        QTest::addColumn<QString>("family");
        QTest::addColumn<bool>("text");
        for (const auto& [family, text] : {std::pair{"31", true},
                                           {"47", false},
                                           {"316", true},
                                           {"40", false},
                                           {"39", true},
                                           {"", true}}) {
            QTest::newRow(family) << QString::fromLatin1(family) << text;
        }
    }

    void FamilyChoosesTheProcedure() {
        QFETCH(QString, family);
        QFETCH(bool, text);
        // Each procedure gets as far as its first command only with its own kind of file.
        StartModule(sim::Family::K31, 57600);
        const QString file =
            Samples + (text ? QStringLiteral("/k31-audio.prm") : QStringLiteral("/k47-audio.prm"));
        const UpdateRequest request{file.toStdString(), modem->DevicePath(), 57600,
                                    family.toStdString()};
        UpdateWorker::Run(request, UpdateWorker::ModuleProcedure(platform::Platform::System()));
        QCOMPARE(Received(*modem, "AT^QBNW=aud,0,1,3"), text);
        QCOMPARE(Received(*modem, "AT^QNFS=3"), !text);
    }

    void FailuresOfTheRealProceduresReachTheOperator() {
        StartModule(sim::Family::K31, 115200, [](sim::ModemOptions& o) { o.faults.silent = true; });
        DialogRig rig(RealUpdates());
        // No file chosen yet: the procedure cannot open one.
        QTest::mouseClick(rig.Control(1007), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(rig.messages.shown.size(), size_t{1}, UpdateTimeoutMs);
        rig.messages.DismissOwnerless();
        rig.files.answer = Samples + QStringLiteral("/k31-audio.prm");
        QTest::mouseClick(rig.Control(1000), Qt::LeftButton);
        QTest::mouseClick(rig.Control(1007), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(rig.messages.shown.size(), size_t{2}, UpdateTimeoutMs);

        const QString failed = QStringLiteral("Audio Parameter Update failed!\r\nError code: %1\r");
        QCOMPARE(rig.messages.shown[0].message.text,
                 failed.arg(3) +
                     QStringLiteral("Couldn't open audio parameter file. (maybe wrong file name)"));
        QCOMPARE(rig.messages.shown[1].message.text,
                 failed.arg(6) + QStringLiteral("Possibly modem not connected."));
    }

    void ClosingMidTransferStillSwitchesTheModuleOff() {
        StartModule(sim::Family::K31, 57600, [](sim::ModemOptions& o) { o.latencyMs = 150; });
        DialogRig rig(RealUpdates());
        rig.dialog.reset();
        rig.messages.dismissAtOnce = true;
        bool dialogGone = false;
        bool reportedAfterDialog = false;
        rig.messages.onShow = [&] { reportedAfterDialog = dialogGone; };
        QTimer::singleShot(0, [&] {
            UpdateDialog* dialog = ShownDialog();
            QVERIFY(dialog != nullptr);
            connect(dialog, &QObject::destroyed, [&] { dialogGone = true; });
            dialog->filePath = Samples + QStringLiteral("/k31-audio.prm");
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("1007")),
                              Qt::LeftButton);
            // Closed once the first block is in.
            QTRY_VERIFY_WITH_TIMEOUT(!modem->StoredSet().empty(), UpdateTimeoutMs);
            dialog->close();
        });
        RunMainDialog({rig.registry, rig.files, rig.messages, rig.updates}, false);
        QVERIFY(reportedAfterDialog);
        QVERIFY(!rig.updates.Busy());
        QCOMPARE(rig.messages.shown.back().message.text,
                 QStringLiteral("Audio Parameter Update successfull"));
        QCOMPARE(modem->StoredSet().size(), size_t{3});
        QCOMPARE(modem->Commands().back(), std::string("AT^QMSO"));
    }
};

static RegisterTest<EndToEndTest> registration("EndToEndTest");

}  // namespace corvane::test

#include "EndToEndTest.moc"
