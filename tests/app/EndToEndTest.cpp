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
        const UploadJob request{.procedure = ProcedureForModelCode(family.toLatin1().constData()),
                                .filePath = file.toStdString(),
                                .portName = modem->DevicePath(),
                                .baudRate = 57600};
        StopRequest stop;
        UpdateWorker::Run(request, UpdateWorker::ModuleProcedure(platform::Platform::System()),
                          stop);
        QCOMPARE(Received(*modem, "AT^QBNW=aud,0,1,3"), text);
        QCOMPARE(Received(*modem, "AT^QNFS=3"), !text);
    }

    // The Part of the box that names the code comes first, what the system said after it.
    void FailuresOfTheRealProceduresReachTheOperator_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("text");
        const QString failed = QStringLiteral("Audio Parameter Update failed!\r\nError code: %1\r");
        const QString sample = Samples + QStringLiteral("/k31-audio.prm");
        const QString noFile =
            failed.arg(3) +
            QStringLiteral("Couldn't open audio parameter file. (maybe wrong file name)\r\n");
        QTest::newRow("no file chosen")
            << QString() << QString() << noFile + QStringLiteral("no parameter file chosen");
        QTest::newRow("directory as file")
            << Samples << QString() << noFile + Samples + QStringLiteral(": is a directory");
        QTest::newRow("file as port")
            << sample << sample
            << failed.arg(2) +
                   QStringLiteral("COM-Port not accessible or Baud rate not possible.\r\n") +
                   sample + QStringLiteral(": not a serial port");
        QTest::newRow("silent module")
            << sample << QString()
            << failed.arg(6) + QStringLiteral("Possibly modem not connected.");
    }

    void FailuresOfTheRealProceduresReachTheOperator() {
        QFETCH(QString, file);
        QFETCH(QString, port);
        QFETCH(QString, text);
        StartModule(sim::Family::K31, 115200, [](sim::ModemOptions& o) { o.faults.silent = true; });
        DialogRig rig(RealUpdates());
        rig.dialog->filePath = file;
        if (!port.isEmpty()) {
            rig.dialog->portName = port;
        }
        QTest::mouseClick(rig.Control(1007), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(rig.messages.shown.size(), size_t{1}, UpdateTimeoutMs);
        QCOMPARE(rig.messages.shown[0].message.text, text);
    }

    void AFileRemovedAfterItWasChosenIsNamed() {
        StartModule(sim::Family::K31, 115200);
        DialogRig rig(RealUpdates());
        auto file = std::make_unique<ScratchFile>(QStringLiteral("set.prm"),
                                                  QByteArrayLiteral("Lines:2\r\nA\r\nB\r\n"));
        const QString path = file->path;
        rig.files.answer = path;
        QTest::mouseClick(rig.Control(1000), Qt::LeftButton);
        QVERIFY(rig.Control(1007)->isEnabled());
        file.reset();
        QTest::mouseClick(rig.Control(1007), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(rig.messages.shown.size(), size_t{1}, UpdateTimeoutMs);
        QCOMPARE(rig.messages.shown[0].message.text,
                 QStringLiteral("Audio Parameter Update failed!\r\nError code: 3\rCouldn't open "
                                "audio parameter file. (maybe wrong file name)\r\n") +
                     path + QStringLiteral(": no such file"));
        QVERIFY(modem->Transcript().empty());
    }

    void ClosingMidTransferStopsAtTheNextBlockAndSwitchesTheModuleOff() {
        StartModule(sim::Family::K31, 57600, [](sim::ModemOptions& o) { o.latencyMs = 150; });
        DialogRig rig(RealUpdates());
        rig.dialog.reset();
        rig.messages.dismissAtOnce = true;
        bool dialogGone = false;
        bool reportedAfterDialog = false;
        size_t blocksCommanded = 0;
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
        const QString text = rig.messages.shown.back().message.text;
        QVERIFY2(text.startsWith(QStringLiteral("Audio Parameter Update stopped!\r\n")),
                 qPrintable(text));
        for (const std::string& command : modem->Commands()) {
            blocksCommanded += command.starts_with("AT^QBNW=aud,0,") ? 1 : 0;
        }
        QVERIFY2(blocksCommanded < 3, "the file has three blocks");
        QVERIFY(text.contains(
            QStringLiteral("Written before the stop: %1 block").arg(blocksCommanded)));
        QVERIFY(modem->StoredSet().size() < 3);
        QVERIFY(Received(*modem, "AT^QBNW=aud,0"));
        QCOMPARE(modem->Commands().back(), std::string("AT^QMSO"));
    }
};

static RegisterTest<EndToEndTest> registration("EndToEndTest");

}  // namespace corvane::test

#include "EndToEndTest.moc"
