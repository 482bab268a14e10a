#include "app/StationWindow.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QScrollArea>
#include <QTableWidget>
#include <QTextDocument>
#include <QVBoxLayout>

#include "app/ProgressDelegate.h"

namespace corvane {
namespace {

QString FromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

// A tooltip that looks like markup is shown as rich text: a path or a detail never is.
QString PlainTip(const QString& text) {
    return text.isEmpty() ? QString() : Qt::convertFromPlainText(text, Qt::WhiteSpaceNoWrap);
}

// A finished row's colour, beside its result in words.
QBrush RowColour(RowState state) {
    switch (state) {
        case RowState::Written:
            return QColor(0xc8, 0xeb, 0xc8);
        case RowState::Failed:
            return QColor(0xf5, 0xc2, 0xc0);
        case RowState::Stopped:
            return QColor(0xfb, 0xe0, 0xa8);
        case RowState::Waiting:
        case RowState::Running:
            break;
    }
    return {};
}

QPushButton* Browse(QWidget* parent) {
    auto* button = new QPushButton(QStringLiteral("..."), parent);
    button->setFixedWidth(button->fontMetrics().horizontalAdvance(QStringLiteral("...")) * 3);
    return button;
}

QLineEdit* Shown(QWidget* parent) {
    auto* box = new QLineEdit(parent);
    box->setReadOnly(true);
    return box;
}

}  // namespace

StationWindow::StationWindow(const StationServices& services, QWidget* parent)
    : QWidget(parent), services(services), controller(*this, services.setup) {
    setWindowTitle(QStringLiteral("Corvane station"));
    setWindowIcon(QIcon(QStringLiteral(":/corvane/corvane.ico")));

    setupArea = new QScrollArea(this);
    setupArea->setFrameShape(QFrame::NoFrame);
    setupArea->setWidgetResizable(true);
    setupArea->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    setupArea->setWidget(BuildSetup());

    startAll = new QPushButton(QStringLiteral("&Start all"), this);
    watch = new QPushButton(QStringLiteral("&Watch"), this);
    watch->setCheckable(true);
    stop = new QPushButton(QStringLiteral("S&top"), this);
    retry = new QPushButton(QStringLiteral("&Retry"), this);
    auto* commands = new QWidget(this);
    buttons = new QGridLayout(commands);
    buttons->setContentsMargins(0, 0, 0, 0);
    // The window may be as narrow as two columns of commands.
    Arrange(true);
    commands->setMinimumWidth(commands->minimumSizeHint().width());
    Arrange(false);
    counts = new QLabel(this);
    counts->setObjectName(QStringLiteral("counts"));
    counts->setWordWrap(true);
    BuildTable();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(setupArea);
    layout->addWidget(commands);
    layout->addWidget(counts);
    layout->addWidget(table, 1);
    resize(720, 420);

    connect(startAll, &QPushButton::clicked, this, [this] { controller.StartAll(); });
    connect(watch, &QPushButton::clicked, this, [this] { controller.WatchClicked(); });
    connect(stop, &QPushButton::clicked, this, [this] { controller.StopClicked(); });
    connect(retry, &QPushButton::clicked, this, [this] { controller.RetryClicked(); });
    connect(table, &QTableWidget::itemSelectionChanged, this,
            [this] { controller.SelectionChanged(); });
    connect(&looking, &QTimer::timeout, this, [this] { controller.Look(); });
}

StationWindow::~StationWindow() = default;

QWidget* StationWindow::BuildSetup() {
    setup = new QWidget;
    form = new QFormLayout(setup);
    form->setContentsMargins(0, 0, 0, 0);

    fileRow = new QGridLayout;
    fileName = Shown(setup);
    fileDate = Shown(setup);
    fileDate->setFixedWidth(
        fileDate->fontMetrics().horizontalAdvance(QStringLiteral("File Date: 2000/00/00")) + 12);
    chooseFile = Browse(setup);
    fileRow->setColumnStretch(0, 1);
    form->addRow(QStringLiteral("Parameter file"), fileRow);

    auto* family = new QHBoxLayout;
    families = new QButtonGroup(setup);
    const QString names[] = {QStringLiteral("K31"), QStringLiteral("K47")};
    for (int index = 0; index < 2; ++index) {
        auto* button = new QRadioButton(names[index], setup);
        families->addButton(button, index);
        family->addWidget(button);
    }
    family->addStretch();
    form->addRow(QStringLiteral("Family"), family);

    auto* ports = new QHBoxLayout;
    portKind = new QComboBox(setup);
    portKind->addItems({QStringLiteral("All ports"), QStringLiteral("Ports matching"),
                        QStringLiteral("These ports")});
    portText = new QLineEdit(setup);
    ports->addWidget(portKind);
    ports->addWidget(portText, 1);
    form->addRow(QStringLiteral("Ports"), ports);

    auto* record = new QHBoxLayout;
    recordName = Shown(setup);
    QPushButton* chooseRecord = Browse(setup);
    record->addWidget(recordName, 1);
    record->addWidget(chooseRecord);
    form->addRow(QStringLiteral("Record"), record);

    connect(chooseFile, &QPushButton::clicked, this, [this] { controller.SelectFile(); });
    connect(chooseRecord, &QPushButton::clicked, this, [this] { controller.SelectRecordFile(); });
    connect(portKind, &QComboBox::activated, this, [this] { PortKindChosen(); });
    return setup;
}

void StationWindow::BuildTable() {
    table = new QTableWidget(0, Columns, this);
    table->setHorizontalHeaderLabels({QStringLiteral("Port"), QStringLiteral("USB serial"),
                                      QStringLiteral("Phase"), QStringLiteral("Progress"),
                                      QStringLiteral("Result")});
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->setWordWrap(false);
    table->setItemDelegateForColumn(ProgressColumn, new ProgressDelegate(table));
    QHeaderView* header = table->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    header->setSectionResizeMode(ProgressColumn, QHeaderView::Fixed);
    header->resizeSection(ProgressColumn,
                          table->fontMetrics().horizontalAdvance(QStringLiteral("100 %")) * 3);
    header->setStretchLastSection(true);
    // A handheld shows a few columns and scrolls sideways to the rest.
    table->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    table->setMinimumHeight(table->verticalHeader()->defaultSectionSize() * 3);
}

void StationWindow::Arrange(bool narrowNow) {
    if (arranged && narrowNow == narrow) {
        return;
    }
    arranged = true;
    narrow = narrowNow;
    // Narrow, each label goes above its fields, which then have the whole width.
    form->setRowWrapPolicy(narrow ? QFormLayout::WrapAllRows : QFormLayout::WrapLongRows);
    // The file's date under its name, or beside it.
    for (QWidget* widget : {static_cast<QWidget*>(fileName), static_cast<QWidget*>(fileDate),
                            static_cast<QWidget*>(chooseFile)}) {
        fileRow->removeWidget(widget);
    }
    fileRow->addWidget(fileName, 0, 0);
    fileRow->addWidget(fileDate, narrow ? 1 : 0, narrow ? 0 : 1, Qt::AlignLeft);
    fileRow->addWidget(chooseFile, 0, narrow ? 1 : 2);
    const int columns = narrow ? 2 : 4;
    QPushButton* const all[] = {startAll, watch, stop, retry};
    for (int index = 0; index < 4; ++index) {
        buttons->removeWidget(all[index]);
        buttons->addWidget(all[index], index / columns, index % columns);
    }
}

void StationWindow::setVisible(bool visible) {
    if (visible && !opened) {
        opened = true;
        controller.Open();
    }
    QWidget::setVisible(visible);
}

void StationWindow::closeEvent(QCloseEvent* event) {
    if (!ending) {
        controller.CloseRequested();
    }
    event->setAccepted(ending);
}

void StationWindow::resizeEvent(QResizeEvent* event) {
    int row = 0;
    for (const QPushButton* button : {startAll, watch, stop, retry}) {
        row += button->sizeHint().width() + buttons->horizontalSpacing();
    }
    const QMargins margins = layout()->contentsMargins();
    Arrange(row > event->size().width() - margins.left() - margins.right());
    QWidget::resizeEvent(event);
}

int StationWindow::CheckedFamily() const {
    return families->checkedId();
}

void StationWindow::CheckFamily(int index) {
    if (QAbstractButton* button = families->button(index)) {
        button->setChecked(true);
    }
}

PortChoiceText StationWindow::ChosenPorts() const {
    return {static_cast<PortChoiceText::Kind>(portKind->currentIndex()),
            portText->text().toStdString()};
}

void StationWindow::ShowPortChoice(const PortChoiceText& choice) {
    portKind->setCurrentIndex(static_cast<int>(choice.kind));
    portText->setText(FromUtf8(choice.text));
    PortKindChosen();
}

void StationWindow::PortKindChosen() {
    const auto kind = static_cast<PortChoiceText::Kind>(portKind->currentIndex());
    portText->setEnabled(settingsEnabled && kind != PortChoiceText::Kind::All);
    portText->setPlaceholderText(
        kind == PortChoiceText::Kind::Match  ? QStringLiteral("0403:6001 serial:FT5 /dev/ttyUSB*")
        : kind == PortChoiceText::Kind::List ? QStringLiteral("COM3 COM4 /dev/ttyUSB0")
                                             : QString());
}

std::optional<ChosenFile> StationWindow::ChooseFile() {
    const std::optional<QString> chosen = services.files.ChooseFile(this);
    if (!chosen) {
        return std::nullopt;
    }
    return ChosenFile{QFile::encodeName(*chosen).toStdString(),
                      QFile::encodeName(QFileInfo(*chosen).fileName()).toStdString()};
}

std::optional<ChosenFile> StationWindow::ChooseRecordFile(const std::string& current) {
    const std::optional<QString> chosen =
        services.files.ChooseRecordFile(this, QFile::decodeName(current.c_str()));
    if (!chosen) {
        return std::nullopt;
    }
    return ChosenFile{QFile::encodeName(*chosen).toStdString(),
                      QFile::encodeName(QFileInfo(*chosen).fileName()).toStdString()};
}

void StationWindow::ShowFile(const std::string& name, const std::string& date,
                             const std::string& path) {
    fileName->setText(QFile::decodeName(name.c_str()));
    fileName->setToolTip(PlainTip(QDir::toNativeSeparators(QFile::decodeName(path.c_str()))));
    fileDate->setText(FromUtf8(date));
}

void StationWindow::ShowRecordFile(const std::string& name, const std::string& path) {
    recordName->setText(QFile::decodeName(name.c_str()));
    recordName->setToolTip(PlainTip(QDir::toNativeSeparators(QFile::decodeName(path.c_str()))));
}

void StationWindow::ShowRow(size_t index, const StationRow& row) {
    const int at = static_cast<int>(index);
    if (at == table->rowCount()) {
        table->insertRow(at);
        for (int column = 0; column < Columns; ++column) {
            table->setItem(at, column, new QTableWidgetItem);
        }
    }
    const QString texts[Columns] = {QFile::decodeName(row.port.c_str()), FromUtf8(row.serial),
                                    FromUtf8(row.phase), QString(), FromUtf8(row.result)};
    const QBrush colour = RowColour(row.state);
    const QString tip = PlainTip(FromUtf8(row.detail.empty() ? row.result : row.detail));
    for (int column = 0; column < Columns; ++column) {
        QTableWidgetItem* item = table->item(at, column);
        item->setText(texts[column]);
        item->setBackground(colour);
        // Dark text on the light colours, whatever the palette.
        item->setForeground(colour.style() == Qt::NoBrush ? QBrush() : QBrush(Qt::black));
        item->setToolTip(tip);
    }
    QTableWidgetItem* progress = table->item(at, ProgressColumn);
    progress->setData(ProgressDelegate::ProgressPositionRole, row.progress.position);
    progress->setData(ProgressDelegate::ProgressRangeRole, row.progress.range);
}

void StationWindow::ShowCounts(const StationCounts& shown) {
    counts->setText(FromUtf8(StationCountsText(shown)));
}

void StationWindow::ShowControls(const StationControls& controls) {
    settingsEnabled = controls.settings;
    setup->setEnabled(controls.settings);
    PortKindChosen();
    startAll->setEnabled(controls.startAll);
    watch->setChecked(controls.watching);
    watch->setEnabled(controls.settings || controls.watching);
    stop->setEnabled(controls.stop);
    retry->setEnabled(controls.retry);
}

std::optional<size_t> StationWindow::SelectedRow() const {
    const QModelIndexList selected = table->selectionModel()->selectedRows();
    if (selected.isEmpty()) {
        return std::nullopt;
    }
    return static_cast<size_t>(selected.constFirst().row());
}

void StationWindow::ShowBox(const Message& message) {
    services.messages.ShowModal(this, message);
}

bool StationWindow::Ask(const Message& message) {
    return services.messages.Ask(this, message);
}

void StationWindow::StartLooking(unsigned milliseconds) {
    looking.start(static_cast<int>(milliseconds));
}

void StationWindow::StopLooking() {
    looking.stop();
}

void StationWindow::End() {
    ending = true;
    hide();
    emit Ended();
}

void StationWindow::Post(std::function<void()> task) {
    // Queued events to one object run in the order they were posted, whichever thread posted.
    QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
}

}  // namespace corvane
