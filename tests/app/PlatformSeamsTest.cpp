#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include "app/AppOptions.h"
#include "app/QtFileChooser.h"
#include "app/QtMessagePresenter.h"
#include "app/ResultMessage.h"
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
        presenter.ShowOwnerless(ResultMessageFor(6), [&] { dismissed = true; });
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

    void WarningIsModalToItsOwner() {
        DialogRig rig;
        QtMessagePresenter presenter;
        QWidget* owner = nullptr;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box != nullptr);
            owner = box->parentWidget();
            icon = box->icon();
            box->button(QMessageBox::Ok)->click();
        });
        presenter.ShowModal(rig.dialog.get(), {QStringLiteral("Unable to open file!"), "app_tests",
                                               MessageIcon::Exclamation});
        QCOMPARE(owner, rig.dialog.get());
        QCOMPARE(icon, QMessageBox::Warning);
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
        const QString program = QStringLiteral("Corvane");
        qputenv("CORVANE_REGISTRY", "/env/device.reg");
        AppOptions options =
            ParseAppOptions({program, QStringLiteral("--registry"), QStringLiteral("/given.reg"),
                             QStringLiteral("--fullscreen")});
        QCOMPARE(options.action, AppOptions::Action::Run);
        QCOMPARE(options.registryPath, QStringLiteral("/given.reg"));
        QVERIFY(options.fullScreen);
        QCOMPARE(ParseAppOptions({program}).registryPath, QStringLiteral("/env/device.reg"));
        qunsetenv("CORVANE_REGISTRY");
        options = ParseAppOptions({program});
        QCOMPARE(options.registryPath, QStringLiteral("/etc/corvane/registry.reg"));
        QVERIFY(!options.fullScreen && options.screenshotPath.isEmpty());

        QCOMPARE(ParseAppOptions({program, QStringLiteral("--version")}).action,
                 AppOptions::Action::ShowVersion);
        options = ParseAppOptions({program, QStringLiteral("--help")});
        QCOMPARE(options.action, AppOptions::Action::ShowHelp);
        QVERIFY(options.message.contains(QStringLiteral("--registry <file>")));
        QVERIFY(!options.message.contains(QStringLiteral("screenshot")));
        for (const QString& wrong : {QStringLiteral("--bogus"), QStringLiteral("file.prm"),
                                     QStringLiteral("--registry")}) {
            QCOMPARE(ParseAppOptions({program, wrong}).action, AppOptions::Action::Invalid);
        }
    }
};

static RegisterTest<PlatformSeamsTest> registration("PlatformSeamsTest");

}  // namespace corvane::test

#include "PlatformSeamsTest.moc"
