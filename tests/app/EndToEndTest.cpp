#include <QApplication>
#include <QProgressBar>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <algorithm>

#include "app/UpdateApp.h"
#include "platform/SystemPlatform.h"
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
    platform::SystemPlatform system;

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
                .procedure = UpdateController::ModuleProcedure(system.Get())};
    }

    // Starts the K31 sample from the window, closes the window once closeWhen holds, answers Yes
    // to the stop question and returns the result box's text, the last thing the window showed.
    std::string CloseDuringTheUpdate(const std::function<bool()>& closeWhen) {
        DialogRig rig(RealUpdates());
        rig.dialog.reset();
        rig.messages.answer = true;
        rig.messages.dismissAtOnce = true;
        rig.files.answer = Samples + QStringLiteral("/k31-audio.prm");
        QTimer::singleShot(0, [&] {
            UpdateDialog* dialog = ShownDialog();
            QVERIFY(dialog != nullptr);
            QTest::mouseClick(dialog->findChild<QPushButton*>(QString::number(SelectFileId)),
                              Qt::LeftButton);
            QTest::mouseClick(dialog->findChild<QPushButton*>(QString::number(StartUpdateId)),
                              Qt::LeftButton);
            QTRY_VERIFY_WITH_TIMEOUT(closeWhen(), UpdateTimeoutMs);
            dialog->close();
        });
        RunMainDialog(rig.Services(), false);
        // The question, then the result: the dialog ended only once it had been shown.
        if (rig.messages.shown.size() != 2 || !rig.messages.shown[0].question) {
            return "not the question and then the result";
        }
        return rig.messages.shown[1].message.text;
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
        QTest::mouseClick(rig.Control(SelectFileId), Qt::LeftButton);
        QTest::mouseClick(rig.Control<QRadioButton>(FirstModuleTypeId + (k47 ? 1 : 0)),
                          Qt::LeftButton);
        QTest::mouseClick(rig.Control(StartUpdateId), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(rig.messages.shown.size(), size_t{1}, UpdateTimeoutMs);

        QCOMPARE(QString::fromStdString(rig.messages.shown[0].message.text),
                 QStringLiteral("Audio Parameter Update successfull\r\n") + file +
                     (k47 ? QStringLiteral(", Series K47 modules")
                          : QStringLiteral(", Series K31 modules")));
        QCOMPARE(rig.Control<QProgressBar>(ProgressBarId)->value(), 100);
        QCOMPARE(rig.Control<QProgressBar>(ProgressBarId)->maximum(), 100);
        QCOMPARE(static_cast<int>(modem->StoredSet().size()), blocks);
        QVERIFY(Received(*modem, "AT^QMSO"));
    }

    // The box names the code first, what the system said after it, and the port with where its
    // name came from (PORT stands for the module's).
    void FailuresOfTheRealProceduresReachTheOperator_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("text");
        const QString failed = QStringLiteral("Audio Parameter Update failed!\r\nError code: %1\r");
        const QString sample = Samples + QStringLiteral("/k31-audio.prm");
        const QString run = QStringLiteral("k31-audio.prm, Series K31 modules\r\n");
        const QString noFile =
            failed.arg(3) +
            QStringLiteral("Couldn't open audio parameter file. (maybe wrong file name)\r\n");
        QTest::newRow("no file chosen")
            << QString() << QString() << noFile + QStringLiteral("no parameter file chosen");
        QTest::newRow("file as port")
            << sample << sample
            << failed.arg(2) +
                   QStringLiteral("COM-Port not accessible or Baud rate not possible.\r\n") + run +
                   sample + QStringLiteral(", the registry's ParentPort: not a serial port");
        QTest::newRow("silent module")
            << sample << QString()
            << failed.arg(6) + QStringLiteral("Possibly modem not connected.\r\n") + run +
                   QStringLiteral(
                       "PORT, the registry's ParentPort: no answer to AT at 115200, 230400, 57600, "
                       "38400, 19200 baud "
                       "(2 passes); if the module runs at another rate, give it with "
                       "corvane-update -b RATE");
    }

    void FailuresOfTheRealProceduresReachTheOperator() {
        QFETCH(QString, file);
        QFETCH(QString, port);
        QFETCH(QString, text);
        StartModule(sim::Family::K31, 115200, [](sim::ModemOptions& o) { o.faults.silent = true; });
        RigOptions options = RealUpdates();
        if (!port.isEmpty()) {
            options.port = port.toStdString();
        }
        DialogRig rig(options);
        if (!file.isEmpty()) {
            rig.files.answer = file;
            QTest::mouseClick(rig.Control(SelectFileId), Qt::LeftButton);
        }
        QTest::mouseClick(rig.Control(StartUpdateId), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(rig.messages.shown.size(), size_t{1}, UpdateTimeoutMs);
        QCOMPARE(QString::fromStdString(rig.messages.shown[0].message.text),
                 text.replace(QStringLiteral("PORT"), QString::fromStdString(options.port)));
    }

    void AFileRemovedAfterItWasChosenIsNamed() {
        StartModule(sim::Family::K31, 115200);
        DialogRig rig(RealUpdates());
        auto file = std::make_unique<ScratchFile>(QStringLiteral("set.prm"),
                                                  QByteArrayLiteral("Lines:2\r\nA\r\nB\r\n"));
        const QString path = file->path;
        rig.files.answer = path;
        QTest::mouseClick(rig.Control(SelectFileId), Qt::LeftButton);
        QVERIFY(rig.Control(StartUpdateId)->isEnabled());
        file.reset();
        QTest::mouseClick(rig.Control(StartUpdateId), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(rig.messages.shown.size(), size_t{1}, UpdateTimeoutMs);
        QCOMPARE(QString::fromStdString(rig.messages.shown[0].message.text),
                 QStringLiteral("Audio Parameter Update failed!\r\nError code: 3\rCouldn't open "
                                "audio parameter file. (maybe wrong file name)\r\nset.prm, "
                                "Series K31 modules\r\n") +
                     path + QStringLiteral(": no such file"));
        QVERIFY(modem->Transcript().empty());
    }

    void ClosingMidTransferStopsAtTheNextBlockAndSwitchesTheModuleOff() {
        StartModule(sim::Family::K31, 57600, [](sim::ModemOptions& o) { o.latencyMs = 150; });
        const std::string text =
            CloseDuringTheUpdate([this] { return !modem->StoredSet().empty(); });
        QVERIFY2(text.starts_with("Audio Parameter Update stopped!\r\n"), text.c_str());
        size_t blocksCommanded = 0;
        for (const std::string& command : modem->Commands()) {
            blocksCommanded += command.starts_with("AT^QBNW=aud,0,") ? 1 : 0;
        }
        QVERIFY2(blocksCommanded < 3, "the file has three blocks");
        QVERIFY(text.find("Written before the stop: " + std::to_string(blocksCommanded) +
                          " block") != std::string::npos);
        QVERIFY(modem->StoredSet().size() < 3);
        QVERIFY(Received(*modem, "AT^QBNW=aud,0"));
        QCOMPARE(modem->Commands().back(), std::string("AT^QMSO"));
    }

    // Yes to the stop question during the rate search ends the run at the next probe, with the
    // port closed and the module not switched off.
    void ClosingDuringTheRateSearchStopsItAtTheNextProbe() {
        StartModule(sim::Family::K31, 115200, [](sim::ModemOptions& o) { o.faults.silent = true; });
        const std::string text =
            CloseDuringTheUpdate([this] { return !modem->Transcript().empty(); });
        QCOMPARE(text, std::string("Audio Parameter Update stopped!\r\nNothing was written before "
                                   "the stop.\r\nk31-audio.prm, Series K31 modules"));
        for (const sim::TranscriptEntry& received : modem->Transcript()) {
            QVERIFY(received.bytes.find("AT^QMSO") == std::string::npos);
        }
    }
};

static RegisterTest<EndToEndTest> registration("EndToEndTest");

}  // namespace corvane::test

#include "EndToEndTest.moc"
