#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
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
        // As the command takes them; neither is there unless given.
        const AppOptions settings = parse({"-p", "/dev/ttyUSB3", "--baud", "57600"});
        QCOMPARE(settings.port.value_or(""), std::string("/dev/ttyUSB3"));
        QCOMPARE(settings.baudRate.value_or(0), 57600u);
        QCOMPARE(parse({"--port", "COM5"}).port.value_or(""), std::string("COM5"));
        QVERIFY(!parse({}).port && !parse({}).baudRate);
        qunsetenv("CORVANE_REGISTRY");
        QCOMPARE(parse({}).registryPath, QString());  // the system's own
        QVERIFY(!parse({}).fullScreen);
        for (const char* version : {"--version", "-V", "-v"}) {
            QCOMPARE(parse({version}).action, AppOptions::Action::ShowVersion);
        }
        QVERIFY(!parse({"--help"}).message.contains(QStringLiteral("screenshot")));
        QVERIFY(parse({"--help"}).message.contains(QStringLiteral("--station")));
        // The station: ports or rules again for each; --match and --record only with it.
        const AppOptions station = parse({"--station", "-p", "/dev/ttyUSB0", "--port", "COM4",
                                          "--record", "r.jsonl", "-b", "57600", "k31.prm"});
        QVERIFY(station.action == AppOptions::Action::Run && station.station && !parse({}).station);
        QVERIFY(station.station->ports.kind == PortChoiceText::Kind::List);
        QCOMPARE(station.station->ports.text, std::string("/dev/ttyUSB0 COM4"));
        QCOMPARE(station.station->recordFile, std::string("r.jsonl"));
        QCOMPARE(station.station->baudRate.value_or(0), 57600u);
        QCOMPARE(station.station->parameterFile, std::string("k31.prm"));
        QCOMPARE(parse({"--station", "--match", "0403:6001", "--match", "serial:FT"})
                     .station->ports.text,
                 std::string("0403:6001 serial:FT"));
        for (const QStringList& wrong :
             {QStringList{"--bogus"}, QStringList{"--registry"}, QStringList{"a.prm", "b.prm"},
              QStringList{"--baud", "0115200x"}, QStringList{"-b", "0"}, QStringList{"--port"},
              QStringList{"--match", "COM*"}, QStringList{"--record", "r.jsonl"},
              QStringList{"--station", "-p", "COM3", "--match", "COM*"}}) {
            QCOMPARE(parse(wrong).action, AppOptions::Action::Invalid);
        }
    }

    // The program itself: what it prints and its exit status, with no window system to reach
    // where it needs one.
    void TheProgramExitsAsTheCommandDoes_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("printed");
        QTest::newRow("version") << QStringList{"-V"} << 0 << QStringLiteral("Corvane 2.");
        QTest::newRow("usage error")
            << QStringList{"--bogus"} << 64 << QStringLiteral("Unknown option 'bogus'.");
        QTest::newRow("no display")
            << QStringList{} << 1
            << QStringLiteral(
                   "Corvane: needs a display to show its window: could not connect to "
                   "display");
    }

    void TheProgramExitsAsTheCommandDoes() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, printed);
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
            environment.remove(QString::fromLatin1(name));
        }
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(CORVANE_WINDOW_PROGRAM), arguments);
        QVERIFY(program.waitForFinished(20000));
        const QString output = QString::fromLocal8Bit(program.readAllStandardOutput() +
                                                      program.readAllStandardError());
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), status);
        QVERIFY2(output.startsWith(printed), qPrintable(output));
    }
};

static RegisterTest<PlatformSeamsTest> registration("PlatformSeamsTest");

}  // namespace corvane::test

#include "PlatformSeamsTest.moc"
