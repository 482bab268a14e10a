#include <QApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "app/UpdateApp.h"
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
        const UpdateRequest request = rig.procedure.LastRequest();
        QCOMPARE(QString::fromStdString(request.filePath), file.path);
        QCOMPARE(request.moduleFamily, std::string("31"));
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

    void ClosingDuringAnUpdateLetsItFinishAndReport() {
        DialogRig rig;
        rig.dialog.reset();
        rig.procedure.hold = true;
        rig.procedure.reports = {{10, 100}};
        // The worker reports progress again after the bar is gone, then ends.
        rig.procedure.reportsAfterRelease = {{90, 100}};
        rig.messages.dismissAtOnce = true;
        bool dialogGone = false;
        bool reportedAfterDialog = false;
        rig.messages.onShow = [&] { reportedAfterDialog = dialogGone; };
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<UpdateDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog != nullptr);
            connect(dialog, &QObject::destroyed, [&] {
                dialogGone = true;
                rig.procedure.Release();
            });
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("1007")),
                              Qt::LeftButton);
            QTRY_VERIFY(rig.procedure.Entered());
            dialog->close();
        });
        RunMainDialog({rig.registry, rig.files, rig.messages, rig.updates}, false);
        QVERIFY(dialogGone);
        QVERIFY(reportedAfterDialog);
        QVERIFY(!rig.updates.Busy());
        QCOMPARE(rig.messages.shown.back().message.text,
                 QStringLiteral("Audio Parameter Update successfull"));
    }
};

static RegisterTest<OneUpdateAtATimeTest> registration("OneUpdateAtATimeTest");

}  // namespace corvane::test

#include "OneUpdateAtATimeTest.moc"
