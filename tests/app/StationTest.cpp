#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <map>

#include "app/StationWindow.h"
#include "line/LineUpdate.h"
#include "sim/PtyModem.h"
#include "tests/app/AppTestRig.h"

namespace corvane::test {
namespace {

constexpr int RunTimeoutMs = 60000;
const QString Sample = QStringLiteral(CORVANE_SAMPLES_DIR "/k31-audio.prm");

// By its text without the '&' of its keyboard mnemonic.
QPushButton* Button(const QWidget& window, const QString& text) {
    for (QPushButton* button : window.findChildren<QPushButton*>()) {
        if (button->text().remove(QLatin1Char('&')) == text) {
            return button;
        }
    }
    return nullptr;
}

QString Cell(const QTableWidget& table, int row, int column) {
    return table.item(row, column)->text();
}

int RecordLines(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return static_cast<int>(file.readAll().count('\n'));
}

// The record's last result code of each port.
std::map<QString, int> RecordedResults(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    std::map<QString, int> results;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (!line.isEmpty()) {
            const QJsonObject record = QJsonDocument::fromJson(line).object();
            results[record[QStringLiteral("port")].toString()] =
                record[QStringLiteral("result")].toInt(-1);
        }
    }
    return results;
}

}  // namespace

// The station window against virtual modules on pseudo-terminals, through the real procedure.
class StationTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> folder;
    FakeFileChooser files;
    FakeMessagePresenter messages;

    QString Record() const { return folder->filePath(QStringLiteral("r.jsonl")); }
    QString Link(int index) const { return folder->filePath(QStringLiteral("port-%1").arg(index)); }

    std::unique_ptr<sim::PtyModem> PlugIn(int index, bool faulty = false) {
        sim::ModemOptions options;
        options.faults.blockError = faulty;
        auto modem = std::make_unique<sim::PtyModem>(options);
        std::string error;
        if (!modem->Start(error) || !modem->Publish(Link(index).toStdString(), error)) {
            qWarning("%s", error.c_str());
            return nullptr;
        }
        return modem;
    }

    StationServices Services() {
        return {files,
                messages,
                {.procedure = line::RunLineUpdate,
                 .recordPath = folder->filePath(QStringLiteral("r.jsonl")).toStdString(),
                 .givenFile = Sample.toStdString(),
                 .givenPorts = {PortChoiceText::Kind::Match,
                                folder->filePath(QStringLiteral("port-*")).toStdString()}}};
    }

  private slots:
    void init() {
        folder = std::make_unique<QTemporaryDir>();
        messages = {};
    }

    // Eight modules at once, one refusing its blocks; then a watch picks up a ninth.
    void UpdatesEightModulesAtOnceThenWatchesForANewOne() {
        constexpr int Faulty = 5;
        std::vector<std::unique_ptr<sim::PtyModem>> modems;
        for (int index = 0; index < 8; ++index) {
            modems.push_back(PlugIn(index, index == Faulty));
            QVERIFY(modems.back());
        }
        StationWindow window(Services());
        window.show();
        auto* table = window.findChild<QTableWidget*>();
        const auto* counts = window.findChild<QLabel*>(QStringLiteral("counts"));
        QTest::mouseClick(Button(window, QStringLiteral("Start all")), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(counts->text(), QStringLiteral("7 written, 1 failed, 0 running"),
                                  RunTimeoutMs);
        QVERIFY2(messages.shown.empty(),
                 messages.shown.empty() ? "" : messages.shown[0].message.text.c_str());

        QCOMPARE(table->rowCount(), 8);
        const std::map<QString, int> recorded = RecordedResults(Record());
        QCOMPARE(RecordLines(Record()), 8);
        QCOMPARE(recorded.size(), size_t{8});
        for (int row = 0; row < 8; ++row) {
            // In port order: the links sort as they were numbered.
            const bool faulty = row == Faulty;
            QCOMPARE(Cell(*table, row, StationWindow::PortColumn), Link(row));
            const QString result = Cell(*table, row, StationWindow::ResultColumn);
            QVERIFY2(faulty
                         ? result == QStringLiteral("failed: 4 Not a valid audio parameter file.")
                         : result.startsWith(QStringLiteral("written in ")),
                     qPrintable(result));
            QCOMPARE(recorded.at(Link(row)), faulty ? 4 : 0);
            QCOMPARE(table->item(row, StationWindow::ResultColumn)->background().color(),
                     faulty ? QColor(0xf5, 0xc2, 0xc0) : QColor(0xc8, 0xeb, 0xc8));
            QCOMPARE(modems[row]->StoredSet().size(), faulty ? size_t{0} : size_t{3});
        }
        QVERIFY(!table->item(Faulty, StationWindow::PortColumn)->toolTip().isEmpty());

        // The failed row alone, again: it fails again, the others stay as they were.
        QPushButton* retry = Button(window, QStringLiteral("Retry"));
        table->selectRow(0);
        QVERIFY(!retry->isEnabled());
        table->selectRow(Faulty);
        QTest::mouseClick(retry, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(counts->text(), QStringLiteral("7 written, 2 failed, 0 running"),
                                  RunTimeoutMs);
        QCOMPARE(RecordLines(Record()), 9);

        // Unplugged, they are not the watch's; a module plugged in while it watches is.
        modems.clear();
        QPushButton* watch = Button(window, QStringLiteral("Watch"));
        QTest::mouseClick(watch, Qt::LeftButton);
        QVERIFY(watch->isChecked());
        QVERIFY(!Button(window, QStringLiteral("Start all"))->isEnabled());
        const std::unique_ptr<sim::PtyModem> added = PlugIn(8);
        QVERIFY(added);
        QTRY_COMPARE_WITH_TIMEOUT(counts->text(), QStringLiteral("8 written, 2 failed, 0 running"),
                                  RunTimeoutMs);
        QCOMPARE(table->rowCount(), 9);
        QCOMPARE(Cell(*table, 8, StationWindow::PortColumn), Link(8));
        QCOMPARE(RecordedResults(Record()).at(Link(8)), 0);
        QCOMPARE(RecordLines(Record()), 10);
        QTest::mouseClick(watch, Qt::LeftButton);
        QVERIFY(!watch->isChecked());
        QVERIFY(Button(window, QStringLiteral("Start all"))->isEnabled());
    }

    // Closing during a run asks, and the window ends once the run has stopped.
    void ClosingDuringARunStopsItFirst() {
        sim::ModemOptions options;
        options.latencyMs = 150;
        sim::PtyModem modem(options);
        std::string error;
        QVERIFY2(modem.Start(error) && modem.Publish(Link(0).toStdString(), error), error.c_str());
        StationWindow window(Services());
        window.show();
        QSignalSpy ended(&window, &StationWindow::Ended);
        QTest::mouseClick(Button(window, QStringLiteral("Start all")), Qt::LeftButton);
        const auto* table = window.findChild<QTableWidget*>();
        QTRY_VERIFY_WITH_TIMEOUT(Cell(*table, 0, StationWindow::PhaseColumn).startsWith("writing"),
                                 RunTimeoutMs);
        messages.answer = true;
        window.close();
        QCOMPARE(messages.shown.size(), size_t{1});
        QVERIFY(messages.shown[0].question);
        QVERIFY(window.isVisible() && ended.isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, RunTimeoutMs);
        QVERIFY(!window.isVisible());
        QVERIFY2(Cell(*table, 0, StationWindow::ResultColumn).startsWith("stopped"),
                 qPrintable(Cell(*table, 0, StationWindow::ResultColumn)));
        QCOMPARE(table->item(0, StationWindow::ResultColumn)->background().color(),
                 QColor(0xfb, 0xe0, 0xa8));
    }

    // A handheld's screen: nothing forces the window larger, every command is within it and the
    // set-up scrolls to its last field.
    void FitsAHandheldScreen() {
        StationWindow window(Services());
        window.show();
        QVERIFY(window.minimumSize().width() <= 240 && window.minimumSize().height() <= 320);
        window.resize(240, 320);
        QCOMPARE(window.size(), QSize(240, 320));
        for (const char* text : {"Start all", "Watch", "Stop", "Retry"}) {
            const QPushButton* button = Button(window, QString::fromLatin1(text));
            QVERIFY2(window.rect().contains(button->geometry()), text);
        }
        auto* setup = window.findChild<QScrollArea*>();
        const QList<QPushButton*> browse = setup->widget()->findChildren<QPushButton*>();
        setup->ensureWidgetVisible(browse.back());
        QVERIFY(!browse.back()->visibleRegion().isEmpty());
    }
};

static RegisterTest<StationTest> registration("StationTest");

}  // namespace corvane::test

#include "StationTest.moc"
