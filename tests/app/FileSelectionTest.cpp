#include <QDateTime>
#include <QFile>
#include <QLineEdit>
#include <QTest>

#include "app/UpdateApp.h"
#include "tests/app/AppTestRig.h"

namespace corvane::test {

class FileSelectionTest : public QObject {
    Q_OBJECT

    static void SetLastWrite(const QString& path, QDate localDate) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime(localDate, QTime(12, 0)),
                                 QFileDevice::FileModificationTime));
    }

  private slots:
    void ShowsNameBeforeLastDotAndLocalDate() {
        DialogRig rig;
        const ScratchFile file(QStringLiteral("audio.old.prm"), "Lines: 0\n");
        SetLastWrite(file.path, QDate(2021, 3, 9));
        rig.files.answer = file.path;
        QTest::mouseClick(rig.Control(1000), Qt::LeftButton);
        QCOMPARE(rig.dialog->filePath, file.path);
        QCOMPARE(rig.Control<QLineEdit>(1011)->text(), QStringLiteral("audio.old"));
        QCOMPARE(rig.Control<QLineEdit>(1012)->text(), QStringLiteral("File Date: 2021/3/9"));
        QVERIFY(rig.Control(1007)->isEnabled());
        QVERIFY(QApplication::overrideCursor() == nullptr);

        // The same file again is examined again.
        SetLastWrite(file.path, QDate(2024, 12, 31));
        QTest::mouseClick(rig.Control(1000), Qt::LeftButton);
        QCOMPARE(rig.Control<QLineEdit>(1012)->text(), QStringLiteral("File Date: 2024/12/31"));
    }

    void UnopenableFileWarnsAndDisablesStart() {
        DialogRig rig;
        const ScratchFile good(QStringLiteral("params"), "x");
        rig.files.answer = good.path;
        QTest::mouseClick(rig.Control(1000), Qt::LeftButton);
        const QString shownName = rig.Control<QLineEdit>(1011)->text();
        const QString shownDate = rig.Control<QLineEdit>(1012)->text();
        QCOMPARE(shownName, QStringLiteral("params"));

        rig.files.answer = good.path + QStringLiteral(".missing");
        QTest::mouseClick(rig.Control(1000), Qt::LeftButton);
        QCOMPARE(rig.messages.shown.size(), size_t{1});
        const ShownMessage& box = rig.messages.shown[0];
        QCOMPARE(box.message.text, QStringLiteral("Unable to open file!"));
        QCOMPARE(box.message.caption, UpdateApp::Title());
        QCOMPARE(UpdateApp::Title(), QStringLiteral("app_tests"));
        QVERIFY(box.modal && box.owner == rig.dialog.get() && box.waitCursor);
        QCOMPARE(rig.dialog->filePath, *rig.files.answer);
        QCOMPARE(rig.Control<QLineEdit>(1011)->text(), shownName);
        QCOMPARE(rig.Control<QLineEdit>(1012)->text(), shownDate);
        QVERIFY(!rig.Control(1007)->isEnabled());

        // Cancelling changes nothing.
        rig.files.answer.reset();
        QTest::mouseClick(rig.Control(1000), Qt::LeftButton);
        QCOMPARE(rig.dialog->filePath, good.path + QStringLiteral(".missing"));
        QVERIFY(!rig.Control(1007)->isEnabled());
        QCOMPARE(rig.messages.shown.size(), size_t{1});
    }
};

static RegisterTest<FileSelectionTest> registration("FileSelectionTest");

}  // namespace corvane::test

#include "FileSelectionTest.moc"
