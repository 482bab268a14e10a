#include <QRadioButton>
#include <QTest>

#include "tests/app/AppTestRig.h"

namespace corvane::test {

class OneUpdateAtATimeTest : public QObject {
    Q_OBJECT

  private slots:
    void StartStaysDisabledUntilTheResultIsDismissed() {
        DialogRig rig;
        const ScratchFile file(QStringLiteral("a.prm"), "x");
        rig.files.answer = file.path;
        QTest::mouseClick(rig.Control(1000), Qt::LeftButton);
        rig.procedure.hold = true;
        QTest::mouseDClick(rig.Control(1007), Qt::LeftButton);
        QTest::mouseClick(rig.Control(1007), Qt::LeftButton);
        rig.dialog->OnStartUpdate();
        QVERIFY(!rig.Control(1007)->isEnabled());

        // The settings were taken at the click; what changes now does not reach the update.
        QTest::mouseClick(rig.Control<QRadioButton>(1009), Qt::LeftButton);
        const ScratchFile other(QStringLiteral("b.prm"), "y");
        rig.files.answer = other.path;
        QTest::mouseClick(rig.Control(1000), Qt::LeftButton);
        QVERIFY(!rig.Control(1007)->isEnabled());

        rig.procedure.Release();
        QTRY_COMPARE(rig.messages.shown.size(), size_t{1});
        QVERIFY(!rig.Control(1007)->isEnabled());
        rig.messages.DismissOwnerless();
        QVERIFY(rig.Control(1007)->isEnabled());
        QCOMPARE(rig.procedure.Runs(), 1);
        const UploadJob request = rig.procedure.LastRequest();
        QCOMPARE(QString::fromStdString(request.filePath), file.path);
        QVERIFY(request.procedure == UploadProcedure::Text);
        QCOMPARE(request.portName, std::string("/dev/ttyTEST"));
        QCOMPARE(request.baudRate, 57600u);
    }

    void AfterTheRunStartFollowsTheLastChosenFile() {
        DialogRig rig;
        rig.procedure.hold = true;
        QTest::mouseClick(rig.Control(1007), Qt::LeftButton);
        rig.files.answer = QStringLiteral("/nonexistent/x.prm");
        QTest::mouseClick(rig.Control(1000), Qt::LeftButton);
        rig.procedure.Release();
        QTRY_COMPARE(rig.messages.shown.size(), size_t{2});
        rig.messages.DismissOwnerless();
        QVERIFY(!rig.Control(1007)->isEnabled());
    }
};

static RegisterTest<OneUpdateAtATimeTest> registration("OneUpdateAtATimeTest");

}  // namespace corvane::test

#include "OneUpdateAtATimeTest.moc"
