#include <QApplication>
#include <QButtonGroup>
#include <QGroupBox>
#include <QImage>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/DialogBuilder.h"
#include "app/ModuleFamily.h"
#include "app/ProgressBarWindow.h"
#include "app/UpdateApp.h"
#include "tests/app/AppTestRig.h"

namespace corvane::test {

class DialogTest : public QObject {
    Q_OBJECT

  private slots:
    void OpensAsTheTemplateLaysItOut() {
        DialogRig rig;
        UpdateDialog& dialog = *rig.dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("VARNEL WM Update v2.1"));
        QCOMPARE(dialog.size(), DialogUnitsToPixels(QRect(0, 0, 138, 156), dialog.font()).size());
        QCOMPARE(rig.Control<QProgressBar>(1005)->geometry(),
                 DialogUnitsToPixels(QRect(14, 119, 110, 9), dialog.font()));
        QVERIFY(rig.Control<QRadioButton>(1008)->isChecked());
        QVERIFY(!rig.Control<QRadioButton>(1009)->isChecked());
        QCOMPARE(dialog.moduleTypeIndex, 0);
        for (int id : {1011, 1012}) {
            QVERIFY(rig.Control<QLineEdit>(id)->text().isEmpty());
            QVERIFY(rig.Control<QLineEdit>(id)->isReadOnly());
        }
        QProgressBar* bar = rig.Control<QProgressBar>(1005);
        QCOMPARE(bar->value(), 0);
        QCOMPARE(bar->maximum(), 100);
        QCOMPARE(ProgressBarWindow.data(), bar);
        QVERIFY(rig.Control(1007)->isEnabled());
        QVERIFY(!dialog.windowIcon().pixmap(32, 32).isNull());
        QCOMPARE(dialog.focusWidget(), rig.Control(1000));
        QCOMPARE(dialog.findChildren<QGroupBox*>().size(), 4);
        // The tab stops in template order.
        QWidget* stop = rig.Control(1000);
        for (int id : {1007, 1011, 1012, 1000}) {
            stop = stop->nextInFocusChain();
            while (!(stop->focusPolicy() & Qt::TabFocus)) {
                stop = stop->nextInFocusChain();
            }
            QCOMPARE(stop->objectName(), QString::number(id));
        }
    }

    void DialogUnitsFollowTheFont() {
        const QFont small(QStringLiteral("DejaVu Sans"), 8);
        const QFont large(QStringLiteral("DejaVu Sans"), 16);
        const QRect a = DialogUnitsToPixels(QRect(10, 16, 100, 80), small);
        const QRect b = DialogUnitsToPixels(QRect(10, 16, 100, 80), large);
        QCOMPARE(a.height(), qRound(QFontMetricsF(small).height() * 10));
        QCOMPARE(a.y(), qRound(QFontMetricsF(small).height() * 2));
        // Twice the font, about twice the size, in both directions alike.
        const double across = double(b.width()) / a.width();
        const double down = double(b.height()) / a.height();
        QVERIFY2(across > 1.7 && down > 1.7 && qAbs(across - down) < 0.15,
                 qPrintable(QStringLiteral("%1 %2").arg(across).arg(down)));
    }

    void FramesLetClicksThroughToTheirControls() {
        DialogRig rig;
        for (int id : {1000, 1007, 1008, 1009}) {
            QWidget* control = rig.Control<QWidget>(id);
            QCOMPARE(rig.dialog->childAt(control->geometry().center()), control);
        }
    }

    void RadioClicksSetTheModuleFamily() {
        DialogRig rig;
        QCOMPARE(ModuleFamily, "");
        QTest::mouseClick(rig.Control<QRadioButton>(1009), Qt::LeftButton);
        QCOMPARE(ModuleFamily, "47");
        QCOMPARE(rig.dialog->moduleTypeIndex, 1);
        QTest::mouseClick(rig.Control<QRadioButton>(1008), Qt::LeftButton);
        QCOMPARE(ModuleFamily, "31");
    }

    void NeitherButtonCheckedKeepsTheFamily() {
        for (const char* before : {"", "47"}) {
            DialogRig rig;
            std::strcpy(ModuleFamily, before);
            rig.dialog->moduleTypeIndex = -1;
            QVERIFY(rig.dialog->UpdateData(false));
            QVERIFY(!rig.Control<QRadioButton>(1008)->isChecked());
            QVERIFY(!rig.dialog->RouteCommand(nullptr));
            QCOMPARE(rig.dialog->moduleTypeIndex, -1);
            QCOMPARE(ModuleFamily, before);
        }
    }

    void ClosingReadsTheControlsAndEndsTheDialog() {
        DialogRig rig;
        QSignalSpy finished(rig.dialog.get(), &QDialog::finished);
        rig.Control<QRadioButton>(1009)->setChecked(true);
        QVERIFY(rig.dialog->close());
        QCOMPARE(finished.size(), 1);
        QCOMPARE(ModuleFamily, "47");
        QVERIFY(!rig.dialog->isVisible());
    }

    void FullScreenFillsTheScreenAndClosingEndsTheProgram() {
        DialogRig rig;
        rig.dialog.reset();
        QSize shown;
        QTimer::singleShot(0, [&] {
            UpdateDialog* dialog = ShownDialog();
            QVERIFY(dialog != nullptr);
            QTRY_COMPARE(dialog->size(), QApplication::primaryScreen()->size());
            shown = dialog->size();
            dialog->close();
        });
        RunMainDialog({rig.registry, rig.files, rig.messages, rig.updates}, true);
        QCOMPARE(shown, QApplication::primaryScreen()->size());
    }

    void RendersThePictureOfTheWindow() {
        DialogRig rig;
        const QTemporaryDir directory;
        const QString png = directory.filePath(QStringLiteral("window.png"));
        QVERIFY(RenderMainDialog({rig.registry, rig.files, rig.messages, rig.updates}, png));
        QCOMPARE(QImage(png).size(), rig.dialog->size());
        QVERIFY(!RenderMainDialog({rig.registry, rig.files, rig.messages, rig.updates},
                                  directory.filePath(QStringLiteral("missing/window.png"))));
    }

    void DamagedTemplateEndsTheDialogWithMinusOne() {
        DialogTemplate damaged = DialogTemplate::Load(MainDialogId);
        damaged.controls.removeIf([](const ControlTemplate& c) { return c.id == 1005; });
        DialogRig rig;
        UpdateDialog dialog({rig.registry, rig.files, rig.messages, rig.updates}, damaged);
        QSignalSpy finished(&dialog, &QDialog::finished);
        dialog.show();
        QTRY_COMPARE(finished.size(), 1);
        QCOMPARE(finished[0][0].toInt(), -1);
    }
};

static RegisterTest<DialogTest> registration("DialogTest");

}  // namespace corvane::test

#include "DialogTest.moc"
