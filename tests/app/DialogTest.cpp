#include <QApplication>
#include <QButtonGroup>
#include <QImage>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <chrono>
#include <thread>

#include "app/CaptionWidth.h"
#include "app/DialogBuilder.h"
#include "app/GroupFrame.h"
#include "app/QtMessagePresenter.h"
#include "app/UpdateApp.h"
#include "tests/app/AppTestRig.h"

namespace corvane::test {
namespace {

DialogUnits TemplateUnits() {
    const DialogTemplate dialogTemplate = DialogTemplate::Load(MainDialogId);
    return DialogUnits::Of(QFont(dialogTemplate.fontFace, dialogTemplate.fontPoints));
}

QSize TemplateSize() {
    return TemplateUnits().ToPixels(DialogTemplate::Load(MainDialogId).rect).size();
}

// The template's rectangle in pixels for a dialog of that size: its dialog units stretched alike.
QRect Stretched(const QWidget& dialog, const QRect& units) {
    const DialogUnits base = TemplateUnits();
    const QSize natural = TemplateSize();
    return DialogUnits{base.x * dialog.width() / natural.width(),
                       base.y * dialog.height() / natural.height()}
        .ToPixels(units);
}

// At least the template's size, and its proportions.
void VerifyTemplateProportions(const QWidget& dialog) {
    const QSize natural = TemplateSize();
    QVERIFY(dialog.width() >= natural.width());
    QVERIFY(qAbs(double(dialog.height()) * natural.width() / natural.height() - dialog.width()) <
            2);
}

// The visible message boxes, of which there should be one at most.
QList<QMessageBox*> OpenBoxes() {
    QList<QMessageBox*> boxes;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible()) {
            boxes.append(box);
        }
    }
    return boxes;
}

// Every frame's caption fits on the frame, and no other control covers it.
void VerifyCaptionsUncovered(const QWidget& dialog) {
    const QList<GroupFrame*> frames = dialog.findChildren<GroupFrame*>();
    QCOMPARE(frames.size(), 4);
    for (const GroupFrame* frame : frames) {
        const QRect caption = frame->CaptionRect().translated(frame->pos());
        QVERIFY2(caption.right() < frame->geometry().right(), qPrintable(frame->Caption()));
        for (const QWidget* control : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (qobject_cast<const GroupFrame*>(control) == nullptr && control->isVisible()) {
                QVERIFY2(!control->geometry().intersects(caption),
                         qPrintable(frame->Caption() + " under " + control->objectName()));
            }
        }
    }
}

}  // namespace

// What only the Qt view does: the template's geometry, its events, and the update's signals
// arriving from another thread. The rules behind them are the controller's tests'.
class DialogTest : public QObject {
    Q_OBJECT

  private slots:
    void OpensAsTheTemplateLaysItOut() {
        DialogRig rig;
        UpdateDialog& dialog = *rig.dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("VARNEL WM Update v2.1"));
        // Widened only where the title bar needs it for the caption, in proportion.
        VerifyTemplateProportions(dialog);
        QCOMPARE(dialog.width(),
                 std::max(TemplateSize().width(), CaptionWidth(dialog.windowTitle())));
        QCOMPARE(rig.Control<QProgressBar>(ProgressBarId)->geometry(),
                 Stretched(dialog, QRect(14, 119, 110, 9)));
        QVERIFY(rig.Control<QRadioButton>(FirstModuleTypeId)->isChecked());
        QCOMPARE(rig.Control<QProgressBar>(ProgressBarId)->maximum(), 100);
        QVERIFY(rig.Control(StartUpdateId)->isEnabled());
        QVERIFY(!dialog.windowIcon().pixmap(32, 32).isNull());
        QCOMPARE(dialog.focusWidget(), rig.Control(SelectFileId));
        // The tab stops in template order.
        QWidget* stop = rig.Control(SelectFileId);
        for (int id : {StartUpdateId, FileNameBoxId, FileDateBoxId, SelectFileId}) {
            stop = stop->nextInFocusChain();
            while (!(stop->focusPolicy() & Qt::TabFocus)) {
                stop = stop->nextInFocusChain();
            }
            QCOMPARE(stop->objectName(), QString::number(id));
        }
        VerifyCaptionsUncovered(dialog);
    }

    void DialogUnitsFollowTheFont() {
        const QFont small(QStringLiteral("DejaVu Sans"), 8);
        const QFont large(QStringLiteral("DejaVu Sans"), 16);
        const QRect a = DialogUnits::Of(small).ToPixels(QRect(10, 16, 100, 80));
        const QRect b = DialogUnits::Of(large).ToPixels(QRect(10, 16, 100, 80));
        QCOMPARE(a.height(), qRound(QFontMetricsF(small).height() * 10));
        QCOMPARE(a.y(), qRound(QFontMetricsF(small).height() * 2));
        // Twice the font, about twice the size, in both directions alike.
        const double across = double(b.width()) / a.width();
        const double down = double(b.height()) / a.height();
        QVERIFY2(across > 1.7 && down > 1.7 && qAbs(across - down) < 0.15,
                 qPrintable(QStringLiteral("%1 %2").arg(across).arg(down)));
    }

    void ALongCaptionWidensTheDialogInProportion() {
        DialogTemplate dialogTemplate = DialogTemplate::Load(MainDialogId);
        dialogTemplate.caption = QStringLiteral("A caption far longer than the dialog is wide");
        DialogRig rig;
        UpdateDialog dialog(rig.Services(), dialogTemplate);
        QVERIFY(dialog.width() >= CaptionWidth(dialogTemplate.caption));
        VerifyTemplateProportions(dialog);
    }

    void FramesLetClicksThroughToTheirControls() {
        DialogRig rig;
        for (int id : {SelectFileId, StartUpdateId, FirstModuleTypeId, FirstModuleTypeId + 1}) {
            QWidget* control = rig.Control<QWidget>(id);
            QCOMPARE(rig.dialog->childAt(control->geometry().center()), control);
        }
    }

    void FullScreenStretchesTheWholeLayout() {
        DialogRig rig;
        rig.dialog.reset();
        QSize shown;
        QTimer::singleShot(0, [&] {
            UpdateDialog* dialog = ShownDialog();
            QVERIFY(dialog != nullptr);
            QTRY_COMPARE(dialog->size(), QApplication::primaryScreen()->size());
            shown = dialog->size();
            for (const auto& [id, units] : {std::pair{ProgressBarId, QRect(14, 119, 110, 9)},
                                            {SelectFileId, QRect(117, 47, 12, 12)}}) {
                QCOMPARE(dialog->findChild<QWidget*>(QString::number(id))->geometry(),
                         Stretched(*dialog, units));
            }
            VerifyCaptionsUncovered(*dialog);
            dialog->close();
        });
        RunMainDialog(rig.Services(), true);
        QCOMPARE(shown, QApplication::primaryScreen()->size());
    }

    void RendersThePictureOfTheWindow() {
        DialogRig rig;
        const QTemporaryDir directory;
        const QString png = directory.filePath(QStringLiteral("window.png"));
        QVERIFY(RenderMainDialog(rig.Services(), png));
        QCOMPARE(QImage(png).size(), rig.dialog->size());
        QVERIFY(!RenderMainDialog(rig.Services(),
                                  directory.filePath(QStringLiteral("missing/window.png"))));
    }

    void DamagedTemplateEndsTheDialogWithMinusOne() {
        DialogTemplate damaged = DialogTemplate::Load(MainDialogId);
        damaged.controls.removeIf([](const ControlTemplate& c) { return c.id == ProgressBarId; });
        DialogRig rig;
        UpdateDialog dialog(rig.Services(), damaged);
        QSignalSpy finished(&dialog, &QDialog::finished);
        dialog.show();
        QTRY_COMPARE(finished.size(), 1);
        QCOMPARE(finished[0][0].toInt(), -1);
    }

    // What the tooltip shows, read the way Qt reads it: as rich text when it looks like it.
    void TheFileNameBoxHoldsThePathAsItsTooltip_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("shown");
        QTest::newRow("plain") << QStringLiteral("audio.old.prm") << QStringLiteral("audio.old");
        QTest::newRow("markup") << QStringLiteral("<b>x.prm") << QStringLiteral("<b>x");
    }

    void TheFileNameBoxHoldsThePathAsItsTooltip() {
        QFETCH(QString, name);
        QFETCH(QString, shown);
        DialogRig rig;
        const ScratchFile file(name, "Lines: 0\n");
        rig.files.answer = file.path;
        QTest::mouseClick(rig.Control(SelectFileId), Qt::LeftButton);
        QCOMPARE(rig.Control<QLineEdit>(FileNameBoxId)->text(), shown);
        const QString tip = rig.Control<QLineEdit>(FileNameBoxId)->toolTip();
        QTextDocument rendered;
        if (Qt::mightBeRichText(tip)) {
            rendered.setHtml(tip);
        } else {
            rendered.setPlainText(tip);
        }
        QCOMPARE(rendered.toPlainText(), QDir::toNativeSeparators(file.path));
        QVERIFY(rig.Control<QLineEdit>(FileDateBoxId)->text().startsWith("File Date: "));
    }

    void ProgressArrivesQueuedFromTheUpdatesThread() {
        DialogRig rig;
        QProgressBar* bar = rig.Control<QProgressBar>(ProgressBarId);
        rig.procedure.reports = {{37, 200}};
        rig.procedure.hold = true;
        QTest::mouseClick(rig.Control<QRadioButton>(FirstModuleTypeId + 1), Qt::LeftButton);
        QTest::mouseClick(rig.Control(StartUpdateId), Qt::LeftButton);
        // The worker reported without waiting for this thread, which has served no events yet.
        for (int waited = 0; !rig.procedure.Entered() && waited < 5000; ++waited) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        QVERIFY(rig.procedure.Entered());
        QCOMPARE(bar->value(), 0);
        QTRY_COMPARE(bar->value(), 37);
        QCOMPARE(bar->maximum(), 200);
        QVERIFY(!rig.Control(StartUpdateId)->isEnabled());
        rig.procedure.Release();
        QTRY_COMPARE(rig.messages.shown.size(), size_t{1});
        QCOMPARE(bar->value(), 100);
        rig.messages.DismissOwnerless();
        QVERIFY(rig.Control(StartUpdateId)->isEnabled());
        QVERIFY(rig.procedure.LastJob().procedure == UploadProcedure::Binary);
    }

    void ClosingOrEscapeWithoutAnUpdateEndsAtOnce() {
        for (const bool escape : {false, true}) {
            DialogRig rig;
            QSignalSpy finished(rig.dialog.get(), &QDialog::finished);
            if (escape) {
                QTest::keyClick(rig.dialog.get(), Qt::Key_Escape);
            } else {
                QVERIFY(rig.dialog->close());
            }
            QCOMPARE(finished.size(), 1);
            QVERIFY(!rig.dialog->isVisible());
            QVERIFY(rig.messages.shown.empty());
        }
    }

    void ClosingOrEscapeDuringAnUpdateAsks() {
        DialogRig rig;
        QSignalSpy finished(rig.dialog.get(), &QDialog::finished);
        rig.procedure.hold = true;
        QTest::mouseClick(rig.Control(StartUpdateId), Qt::LeftButton);
        QVERIFY(!rig.dialog->close());
        QTest::keyClick(rig.dialog.get(), Qt::Key_Escape);
        QCOMPARE(rig.messages.shown.size(), size_t{2});
        for (const ShownMessage& box : rig.messages.shown) {
            QVERIFY(box.question && box.owner == rig.dialog.get());
        }
        QVERIFY(rig.dialog->isVisible());

        rig.messages.answer = true;
        QVERIFY(!rig.dialog->close());
        rig.procedure.Release();
        QTRY_COMPARE(rig.messages.shown.size(), size_t{4});
        QVERIFY(rig.dialog->isVisible());
        rig.messages.DismissOwnerless();
        QCOMPARE(finished.size(), 1);
        QVERIFY(!rig.dialog->isVisible());
    }

    // With the real boxes: the question left open is closed by the run's end, and the result
    // that follows it is the one box there, usable, and dismissing it ends the dialog.
    void ARunEndingUnderTheStopQuestionClosesIt() {
        DialogRig rig;
        rig.dialog.reset();
        rig.procedure.hold = true;
        QtMessagePresenter presenter;
        bool questionClosed = false;
        QString result;
        QTimer::singleShot(0, [&] {
            UpdateDialog* dialog = ShownDialog();
            QVERIFY(dialog != nullptr);
            // Whatever goes wrong, no box is left for nobody to answer, and the dialog ends.
            const auto finish = qScopeGuard([&] {
                for (QMessageBox* box : OpenBoxes()) {
                    box->done(QMessageBox::No);
                }
                dialog->close();
            });
            QTest::mouseClick(dialog->findChild<QPushButton*>(QString::number(StartUpdateId)),
                              Qt::LeftButton);
            // Served while the question waits for its answer.
            QTimer::singleShot(0, [&] {
                const QPointer<QMessageBox> question =
                    qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                QVERIFY(question != nullptr);
                const auto unblock = qScopeGuard([&] {
                    if (question) {
                        question->done(QMessageBox::No);
                    }
                });
                rig.procedure.Release();
                QTRY_VERIFY(!question->isVisible());
                questionClosed = true;
            });
            dialog->close();
            QVERIFY(questionClosed);
            QCOMPARE(QApplication::activeModalWidget(), nullptr);
            QCOMPARE(OpenBoxes().size(), 1);
            result = OpenBoxes()[0]->text();
            QTest::mouseClick(OpenBoxes()[0]->button(QMessageBox::Ok), Qt::LeftButton);
            QVERIFY(!dialog->isVisible());
        });
        RunMainDialog(rig.Services(&presenter), false);
        QVERIFY(questionClosed);
        QCOMPARE(result, QStringLiteral("Audio Parameter Update successfull"));
    }
};

static RegisterTest<DialogTest> registration("DialogTest");

}  // namespace corvane::test

#include "DialogTest.moc"
