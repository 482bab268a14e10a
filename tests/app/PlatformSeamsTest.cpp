#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include "app/AppOptions.h"
#include "app/CaptionWidth.h"
#include "app/QtFileChooser.h"
#include "app/QtMessagePresenter.h"
#include "app/UpdateApp.h"
#include "app/core/ResultMessage.h"
#include "tests/app/AppTestRig.h"

namespace corvane::test {

// The real Qt boxes and file dialog behind the seams, and the program's command line.
class PlatformSeamsTest : public QObject {
    Q_OBJECT

    static QMessageBox* OpenBox() {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible()) {
                return box;
            }
        }
        return nullptr;
    }

  private slots:
    void ResultBoxLeavesTheDialogUsableAndReportsItsDismissal() {
        QtMessagePresenter presenter;
        bool dismissed = false;
        presenter.ShowOwnerless(ResultMessageFor({.code = ResultModemNotConnected}, {}),
                                [&] { dismissed = true; });
        QPointer<QMessageBox> box = OpenBox();
        QVERIFY(box != nullptr);
        QCOMPARE(box->parentWidget(), nullptr);
        QCOMPARE(box->windowModality(), Qt::NonModal);
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        QCOMPARE(box->icon(), QMessageBox::Warning);
        QCOMPARE(box->windowTitle(), QStringLiteral("Audio Parameter Update"));
        QCOMPARE(box->text(), QStringLiteral("Audio Parameter Update failed!\nError code: "
                                             "6\nPossibly modem not connected."));
        QVERIFY(!dismissed);
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
        QVERIFY(dismissed);
        QTRY_VERIFY(box.isNull());
    }

    void ResultBoxIsUsableWhileTheWindowRuns() {
        DialogRig rig;
        rig.dialog.reset();
        QtMessagePresenter presenter;
        bool startCameBack = false;
        QTimer::singleShot(0, [&] {
            UpdateDialog* dialog = ShownDialog();
            QVERIFY(dialog != nullptr);
            QPushButton* start = dialog->findChild<QPushButton*>(QString::number(StartUpdateId));
            QTest::mouseClick(start, Qt::LeftButton);
            QTRY_VERIFY(OpenBox() != nullptr);
            // No window holds the box's input back, as a modal dialog would.
            QCOMPARE(QApplication::activeModalWidget(), nullptr);
            QTest::mouseClick(OpenBox()->button(QMessageBox::Ok), Qt::LeftButton);
            startCameBack = start->isEnabled();
            dialog->close();
        });
        RunMainDialog(rig.Services(&presenter), false);
        QVERIFY(startCameBack);
    }

    void BoxesShowTheirKindAndFitTheirCaption() {
        const QString caption = QStringLiteral("Audio Parameter Update");
        const std::unique_ptr<QMessageBox> success(
            QtMessagePresenter::CreateBox(nullptr, ResultMessageFor({}, {})));
        QCOMPARE(success->icon(), QMessageBox::Information);
        QCOMPARE(success->windowTitle(), caption);
        const std::unique_ptr<QMessageBox> question(
            QtMessagePresenter::CreateBox(nullptr, {"Stop?", MessageCaption, MessageIcon::Question},
                                          QMessageBox::Yes | QMessageBox::No));
        QCOMPARE(question->icon(), QMessageBox::Question);
        question->show();
        QVERIFY(question->width() >= CaptionWidth(caption));
        QCOMPARE(question->text(), QStringLiteral("Stop?"));
    }

    void FileDialogOffersTheParameterFilters() {
        const std::unique_ptr<QFileDialog> dialog(QtFileChooser::CreateDialog(nullptr));
        QCOMPARE(dialog->nameFilters(), QStringList({QStringLiteral("(Audio Parameter (*.prm)"),
                                                     QStringLiteral("All Files (*.*)")}));
        QCOMPARE(dialog->defaultSuffix(), QStringLiteral("aud"));
        QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFile);
        QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptOpen);
    }

    void CommandLineChoosesTheRegistryAndPresentation() {
        const auto parse = [](QStringList arguments) {
            arguments.prepend(QStringLiteral("Corvane"));
            return ParseAppOptions(arguments);
        };
        qputenv("CORVANE_REGISTRY", "/env.reg");
        const AppOptions given =
            parse({"--registry", "/given.reg", "--fullscreen", "Sätze/k31 audio.prm"});
        QCOMPARE(given.registryPath, QStringLiteral("/given.reg"));
        QVERIFY(given.action == AppOptions::Action::Run && given.fullScreen);
        QCOMPARE(given.parameterFile, QStringLiteral("Sätze/k31 audio.prm"));
        QVERIFY(parse({}).parameterFile.isEmpty());
        QCOMPARE(parse({}).registryPath, QStringLiteral("/env.reg"));
        qunsetenv("CORVANE_REGISTRY");
        QCOMPARE(parse({}).registryPath, QString());  // the system's own
        QVERIFY(!parse({}).fullScreen);
        QCOMPARE(parse({"--version"}).action, AppOptions::Action::ShowVersion);
        QVERIFY(!parse({"--help"}).message.contains(QStringLiteral("screenshot")));
        for (const QStringList& wrong :
             {QStringList{"--bogus"}, QStringList{"--registry"}, QStringList{"a.prm", "b.prm"}}) {
            QCOMPARE(parse(wrong).action, AppOptions::Action::Invalid);
        }
    }
};

static RegisterTest<PlatformSeamsTest> registration("PlatformSeamsTest");

}  // namespace corvane::test

#include "PlatformSeamsTest.moc"
