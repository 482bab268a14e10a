#include <QProgressBar>
#include <QTest>
#include <thread>

#include "app/ProgressBarWindow.h"
#include "app/ResultMessage.h"
#include "tests/app/AppTestRig.h"

namespace corvane::test {

class UpdateWorkerTest : public QObject {
    Q_OBJECT

  private slots:
    void ProgressKeepsLow16BitsAndAtLeastRangeOne() {
        DialogRig rig;
        QProgressBar* bar = rig.Control<QProgressBar>(1005);
        // position, range -> shown value, maximum; the bar stops at its end like the device's.
        for (const auto& [position, range, value, maximum] :
             {std::tuple{5u, 0u, 1, 1}, {1u, 65538u, 1, 2}, {0x10003u, 10u, 3, 10}}) {
            QCOMPARE(UpdateWorker::ProgressCallback(position, range), 1);
            QCOMPARE(bar->minimum(), 0);
            QCOMPARE(bar->maximum(), maximum);
            QCOMPARE(bar->value(), value);
        }
    }

    void ProgressFromTheWorkerArrivesBeforeTheWorkerGoesOn() {
        DialogRig rig;
        rig.procedure.reports = {{37, 200}};
        rig.procedure.hold = true;
        QTest::mouseClick(rig.Control(1007), Qt::LeftButton);
        // The GUI thread serves no events here: a synchronous report keeps the worker waiting.
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        QVERIFY(!rig.procedure.Entered());
        QTRY_VERIFY(rig.procedure.Entered());
        QCOMPARE(rig.Control<QProgressBar>(1005)->value(), 37);
        QCOMPARE(rig.Control<QProgressBar>(1005)->maximum(), 200);
        rig.procedure.Release();
        QTRY_COMPARE(rig.messages.shown.size(), size_t{1});
        QCOMPARE(rig.Control<QProgressBar>(1005)->value(), 100);
        QCOMPARE(rig.Control<QProgressBar>(1005)->maximum(), 100);
    }

    void FailureLeavesTheBarWhereTheProcedureDid() {
        DialogRig rig;
        rig.procedure.reports = {{30, 60}};
        rig.procedure.code = ResultModemRejectedData;
        QTest::mouseClick(rig.Control(1007), Qt::LeftButton);
        QTRY_COMPARE(rig.messages.shown.size(), size_t{1});
        QCOMPARE(rig.Control<QProgressBar>(1005)->value(), 30);
        QCOMPARE(rig.Control<QProgressBar>(1005)->maximum(), 60);
        QCOMPARE(rig.messages.shown[0].message.text,
                 QStringLiteral("Audio Parameter Update failed!\r\nError code: 5\rModem didn't "
                                "accept data."));
    }

    void ResultBoxesCarryTheTexts_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        const QString failed = QStringLiteral("Audio Parameter Update failed!\r\nError code: %1\r");
        QTest::newRow("0") << 0 << QStringLiteral("Audio Parameter Update successfull");
        QTest::newRow("1") << 1 << failed.arg(1) + QStringLiteral("Invalid parameters.");
        QTest::newRow("3")
            << 3
            << failed.arg(3) +
                   QStringLiteral("Couldn't open audio parameter file. (maybe wrong file name)");
        QTest::newRow("6") << 6 << failed.arg(6) + QStringLiteral("Possibly modem not connected.");
        QTest::newRow("8") << 8 << failed.arg(8);
        QTest::newRow("-1") << -1 << failed.arg(-1);
    }

    void ResultBoxesCarryTheTexts() {
        QFETCH(int, code);
        QFETCH(QString, text);
        const Message message = ResultMessageFor({.code = static_cast<ResultCode>(code)});
        QCOMPARE(message.text, text);
        QCOMPARE(message.caption, QStringLiteral("Audio Parameter Update"));
        QCOMPARE(message.icon, code == 0 ? MessageIcon::None : MessageIcon::Exclamation);
    }
};

static RegisterTest<UpdateWorkerTest> registration("UpdateWorkerTest");

}  // namespace corvane::test

#include "UpdateWorkerTest.moc"
