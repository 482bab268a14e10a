// Renders the station while it runs, for the README: eight virtual modules, most written, two
// slow ones still writing and one failing. Usage: station-picture OUTPUT.png [WIDTHxHEIGHT]

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPixmap>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <memory>
#include <vector>

#include "app/LoggedMessages.h"
#include "app/ProgressDelegate.h"
#include "app/QtFileChooser.h"
#include "app/StationWindow.h"
#include "line/LineUpdate.h"
#include "sim/PtyModem.h"

namespace {

using namespace corvane;

constexpr int Modules = 8;
constexpr int Faulty = 5;
bool Slow(int index) {
    return index == 2 || index == 6;
}

// Every row has its state: the fast ones written, the faulty one failed, the slow ones on their
// way.
bool Running(const QWidget& window) {
    const auto* counts = window.findChild<QLabel*>(QStringLiteral("counts"));
    const auto* table = window.findChild<QTableWidget*>();
    if (counts->text() != QStringLiteral("5 written, 1 failed, 2 running")) {
        return false;
    }
    for (int row = 0; row < table->rowCount(); ++row) {
        const QTableWidgetItem* progress = table->item(row, StationWindow::ProgressColumn);
        if (Slow(row) && progress->data(ProgressDelegate::ProgressPositionRole).toInt() * 3 <
                             progress->data(ProgressDelegate::ProgressRangeRole).toInt()) {
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: station-picture OUTPUT.png [WIDTHxHEIGHT]\n");
        return 64;
    }
    const QStringList size = QString::fromLocal8Bit(argc > 2 ? argv[2] : "760x440").split('x');
    // Short, so that the ports' names fit their column.
    QTemporaryDir folder(QStringLiteral("/tmp/line-XXXXXX"));
    std::vector<std::unique_ptr<sim::PtyModem>> modems;
    for (int index = 0; index < Modules; ++index) {
        sim::ModemOptions options;
        options.faults.blockError = index == Faulty;
        options.latencyMs = Slow(index) ? 150 : 0;
        modems.push_back(std::make_unique<sim::PtyModem>(options));
        std::string error;
        const QString link = folder.filePath(QStringLiteral("ttyUSB%1").arg(index));
        if (!modems.back()->Start(error) || !modems.back()->Publish(link.toStdString(), error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
    }
    QtFileChooser files;
    LoggedMessages messages;
    StationWindow window(
        {files,
         messages,
         {.procedure = line::RunLineUpdate,
          .recordPath = folder.filePath(QStringLiteral("line.jsonl")).toStdString(),
          .givenFile = CORVANE_SAMPLES_DIR "/k31-audio.prm",
          .givenPorts = {PortChoiceText::Kind::Match,
                         folder.filePath(QStringLiteral("ttyUSB*")).toStdString()}}});
    window.resize(size.value(0).toInt(), size.value(1).toInt());
    window.show();
    for (QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
        if (button->text() == QStringLiteral("&Start all")) {
            button->click();
        }
    }
    if (!QTest::qWaitFor([&] { return Running(window); }, 30000)) {
        std::fprintf(stderr, "the station did not reach the picture's state\n");
        return 1;
    }
    const bool saved = window.grab().save(QString::fromLocal8Bit(argv[1]), "PNG");
    // The slow runs are stopped and waited for as the window goes.
    return saved ? 0 : 1;
}
