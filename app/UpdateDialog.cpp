#include "app/UpdateDialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QScreen>
#include <QTextDocument>
#include <algorithm>

namespace corvane {

UpdateDialog::UpdateDialog(const DialogServices& services, const DialogTemplate& dialogTemplate,
                           QWidget* parent)
    : QDialog(parent),
      services(services),
      controls(BuildDialog(*this, dialogTemplate)),
      controller(*this, {.registry = services.registry,
                         .registryProblem = services.registryProblem,
                         .procedure = services.procedure,
                         .givenFile = services.givenFile,
                         .givenSettings = services.givenSettings}) {
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setWindowIcon(QIcon(QStringLiteral(":/corvane/corvane.ico")));
    bound = BindControls();
    if (!bound) {
        return;
    }
    connect(selectFileButton, &QPushButton::clicked, this, [this] { controller.SelectFile(); });
    connect(startButton, &QPushButton::clicked, this, [this] { controller.StartUpdate(); });
    connect(moduleTypes, &QButtonGroup::buttonClicked, this,
            [this] { controller.FamilyClicked(); });
    connect(
        this, &UpdateDialog::ProgressPosted, this,
        [this](int position, int range) {
            SetProgress({static_cast<uint16_t>(position), static_cast<uint16_t>(range)});
        },
        Qt::QueuedConnection);
    connect(
        this, &UpdateDialog::RunEndedPosted, this, [this] { controller.RunEnded(); },
        Qt::QueuedConnection);
}

UpdateDialog::~UpdateDialog() = default;

namespace {

// A control built from the template, by the id that is its object name; null when the template
// has none of that kind there.
template <typename Widget>
Widget* Control(const QDialog& dialog, int id) {
    return dialog.findChild<Widget*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

}  // namespace

bool UpdateDialog::BindControls() {
    selectFileButton = Control<QPushButton>(*this, SelectFileId);
    fileNameBox = Control<QLineEdit>(*this, FileNameBoxId);
    fileDateBox = Control<QLineEdit>(*this, FileDateBoxId);
    progressBar = Control<QProgressBar>(*this, ProgressBarId);
    startButton = Control<QPushButton>(*this, StartUpdateId);
    const auto* firstModuleType = Control<QRadioButton>(*this, FirstModuleTypeId);
    moduleTypes = firstModuleType ? firstModuleType->group() : nullptr;
    return selectFileButton && fileNameBox && fileDateBox && progressBar && startButton &&
           moduleTypes;
}

void UpdateDialog::setVisible(bool visible) {
    if (visible && !initialised) {
        initialised = true;
        CenterWindow();
        if (!bound) {
            // The dialog closes once its initialisation has returned.
            QMetaObject::invokeMethod(
                this, [this] { done(-1); }, Qt::QueuedConnection);
        } else if (controller.Open()) {
            // The input focus goes to the first tab stop.
            focusNextChild();
        }
    }
    QDialog::setVisible(visible);
}

void UpdateDialog::CenterWindow() {
    const QWidget* owner = parentWidget();
    const QRect area = owner ? owner->geometry() : screen()->availableGeometry();
    move(area.center() - rect().center());
}

void UpdateDialog::reject() {
    close();
}

void UpdateDialog::closeEvent(QCloseEvent* event) {
    if (bound && !ending) {
        controller.CloseRequested();
    }
    event->setAccepted(ending || !bound);
}

void UpdateDialog::resizeEvent(QResizeEvent* event) {
    // Full screen, or whatever size the window system gives: the template fills it.
    controls.Layout(event->size());
    QDialog::resizeEvent(event);
}

int UpdateDialog::CheckedFamily() const {
    return moduleTypes->checkedId();
}

void UpdateDialog::CheckFamily(int index) {
    // An exclusive group refuses to clear its checked button; an index outside it clears all.
    moduleTypes->setExclusive(false);
    for (QAbstractButton* button : moduleTypes->buttons()) {
        button->setChecked(moduleTypes->id(button) == index);
    }
    moduleTypes->setExclusive(true);
}

std::optional<ChosenFile> UpdateDialog::ChooseFile() {
    const std::optional<QString> chosen = services.files.ChooseFile(this);
    if (!chosen) {
        return std::nullopt;
    }
    return ChosenFile{QFile::encodeName(*chosen).toStdString(),
                      QFile::encodeName(QFileInfo(*chosen).fileName()).toStdString()};
}

void UpdateDialog::ShowFile(const std::string& name, const std::string& date,
                            const std::string& path) {
    fileNameBox->setText(QFile::decodeName(name.c_str()));
    // A tooltip that looks like markup is shown as rich text: a file name is never markup.
    fileNameBox->setToolTip(Qt::convertFromPlainText(
        QDir::toNativeSeparators(QFile::decodeName(path.c_str())), Qt::WhiteSpaceNoWrap));
    fileDateBox->setText(QString::fromStdString(date));
}

void UpdateDialog::SetProgress(ProgressScale progress) {
    progressBar->setRange(0, progress.range);
    // Like the device's control, the bar stops at its ends.
    progressBar->setValue(std::min(progress.position, progress.range));
}

void UpdateDialog::EnableStart(bool enabled) {
    startButton->setEnabled(enabled);
}

void UpdateDialog::BeginWaitCursor() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void UpdateDialog::EndWaitCursor() {
    QApplication::restoreOverrideCursor();
}

void UpdateDialog::ShowBox(const Message& message) {
    services.messages.ShowModal(this, message);
}

bool UpdateDialog::Ask(const Message& message) {
    return services.messages.Ask(this, message);
}

void UpdateDialog::CloseQuestion() {
    services.messages.CloseQuestion();
}

void UpdateDialog::ShowResult(const Message& message) {
    services.messages.ShowOwnerless(message, [dialog = QPointer(this)] {
        if (dialog) {
            dialog->controller.ResultDismissed();
        }
    });
}

void UpdateDialog::End() {
    ending = true;
    done(QDialog::Accepted);
}

void UpdateDialog::PostProgress(ProgressScale progress) {
    emit ProgressPosted(progress.position, progress.range);
}

void UpdateDialog::PostRunEnded() {
    emit RunEndedPosted();
}

}  // namespace corvane
