#include "app/UpdateDialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <cstring>

#include "app/DialogBuilder.h"
#include "app/ModuleFamily.h"
#include "app/ProgressBarWindow.h"
#include "app/ResultMessage.h"
#include "app/UpdateApp.h"

namespace corvane {
namespace {

constexpr int SelectFileId = 1000;
constexpr int ProgressBarId = 1005;
constexpr int StartUpdateId = 1007;
constexpr int FirstModuleTypeId = 1008;
constexpr int FileNameBoxId = 1011;
constexpr int FileDateBoxId = 1012;

// The commands that have a handler; every other button's clicks are routed without one.
const std::pair<int, UpdateDialog::CommandHandler> MessageMap[] = {
    {SelectFileId, &UpdateDialog::OnSelectFile},
    {StartUpdateId, &UpdateDialog::OnStartUpdate},
};

UpdateDialog::CommandHandler HandlerOf(const QString& controlName) {
    for (const auto& [id, handler] : MessageMap) {
        if (controlName == QString::number(id)) {
            return handler;
        }
    }
    return nullptr;
}

// "audio.old.prm" shows as "audio.old"; a name without "." whole.
QString NameBeforeLastDot(const QString& fileName) {
    const qsizetype dot = fileName.lastIndexOf(QChar('.'));
    return dot < 0 ? fileName : fileName.left(dot);
}

class WaitCursor {
  public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

UpdateDialog::UpdateDialog(const DialogServices& services, const DialogTemplate& dialogTemplate,
                           QWidget* parent)
    : QDialog(parent), appIcon(QStringLiteral(":/corvane/corvane.ico")), services(services) {
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    BuildDialog(*this, dialogTemplate);
    for (QAbstractButton* button : findChildren<QAbstractButton*>()) {
        const CommandHandler handler = HandlerOf(button->objectName());
        connect(button, &QAbstractButton::clicked, this,
                [this, handler] { RouteCommand(handler); });
    }
    connect(&services.updates, &UpdateRunner::Idle, this, &UpdateDialog::UpdateStartButton);
}

UpdateDialog::~UpdateDialog() = default;

void UpdateDialog::setVisible(bool visible) {
    if (visible && !initialised) {
        initialised = true;
        if (OnInitDialog()) {
            // The input focus goes to the first tab stop.
            focusNextChild();
        }
    }
    QDialog::setVisible(visible);
}

bool UpdateDialog::OnInitDialog() {
    if (!UpdateData(false)) {
        // The dialog closes once its initialisation has returned.
        QMetaObject::invokeMethod(
            this, [this] { done(-1); }, Qt::QueuedConnection);
    }
    setWindowIcon(appIcon);
    CenterWindow();
    ProgressBarWindow = progressBar;
    if (progressBar != nullptr) {
        progressBar->setRange(0, 100);
    }
    return LookupConnectionSettings();
}

bool UpdateDialog::UpdateData(bool saveAndValidate) {
    return DoDataExchange(saveAndValidate);
}

bool UpdateDialog::DoDataExchange(bool saveAndValidate) {
    fileDateBox = findChild<QLineEdit*>(QString::number(FileDateBoxId));
    fileNameBox = findChild<QLineEdit*>(QString::number(FileNameBoxId));
    progressBar = findChild<QProgressBar*>(QString::number(ProgressBarId));
    startButton = findChild<QPushButton*>(QString::number(StartUpdateId));
    const auto* firstModuleType = findChild<QRadioButton*>(QString::number(FirstModuleTypeId));
    QButtonGroup* moduleTypes = firstModuleType ? firstModuleType->group() : nullptr;
    if (!fileDateBox || !fileNameBox || !progressBar || !startButton || !moduleTypes) {
        return false;
    }
    if (saveAndValidate) {
        moduleTypeIndex = moduleTypes->checkedId();
        return true;
    }
    // An exclusive group refuses to clear its checked button; an index outside it clears all.
    moduleTypes->setExclusive(false);
    for (QAbstractButton* button : moduleTypes->buttons()) {
        button->setChecked(moduleTypes->id(button) == moduleTypeIndex);
    }
    moduleTypes->setExclusive(true);
    return true;
}

bool UpdateDialog::RouteCommand(CommandHandler handler) {
    UpdateData(true);
    if (moduleTypeIndex == 0) {
        std::strcpy(ModuleFamily, "31");
    } else if (moduleTypeIndex == 1) {
        std::strcpy(ModuleFamily, "47");
    }
    if (handler == nullptr) {
        return false;
    }
    (this->*handler)();
    return true;
}

bool UpdateDialog::LookupConnectionSettings() {
    std::string foundPort = portName.toStdString();
    const bool found = platform::LookupConnectionSettings(services.registry, foundPort, baudRate);
    portName = QString::fromStdString(foundPort);
    if (!found) {
        QString warning = QString::fromLatin1(platform::RegistryWarningText);
        if (!services.registryProblem.empty()) {
            warning += QStringLiteral("\r\n") + QString::fromLocal8Bit(services.registryProblem);
        }
        services.messages.ShowModal(this, {warning, MessageCaption, MessageIcon::Exclamation});
    }
    return found;
}

void UpdateDialog::CenterWindow() {
    const QWidget* owner = parentWidget();
    const QRect area = owner ? owner->geometry() : screen()->availableGeometry();
    move(area.center() - rect().center());
}

void UpdateDialog::OnSelectFile() {
    const std::optional<QString> chosen = services.files.ChooseFile(this);
    if (!chosen) {
        return;
    }
    const WaitCursor waitCursor;
    startButton->setEnabled(false);
    filePath = *chosen;
    QFile file(filePath);
    chosenFileOpens = file.open(QIODevice::ReadOnly);
    if (chosenFileOpens) {
        const QDate lastWrite =
            file.fileTime(QFileDevice::FileModificationTime).toLocalTime().date();
        fileNameBox->setText(NameBeforeLastDot(QFileInfo(filePath).fileName()));
        fileDateBox->setText(QString::asprintf("File Date: %d/%d/%d", lastWrite.year(),
                                               lastWrite.month(), lastWrite.day()));
        file.close();
    } else {
        services.messages.ShowModal(this, {QStringLiteral("Unable to open file!"),
                                           UpdateApp::Title(), MessageIcon::Exclamation});
    }
    UpdateStartButton();
}

void UpdateDialog::OnStartUpdate() {
    // Disabled from the click on, so that a second click cannot start a second update.
    startButton->setEnabled(false);
    UploadJob job{.procedure = ProcedureForModelCode(ModuleFamily),
                  .filePath = QFile::encodeName(filePath).toStdString(),
                  .portName = portName.toStdString(),
                  .baudRate = baudRate};
    if (!services.updates.Start(std::move(job))) {
        UpdateStartButton();
    }
}

void UpdateDialog::OnClose() {
    if (UpdateData(true)) {
        accept();
    }
}

void UpdateDialog::closeEvent(QCloseEvent* event) {
    RouteCommand(&UpdateDialog::OnClose);
    event->setAccepted(!isVisible());
}

void UpdateDialog::UpdateStartButton() {
    // A dialog whose template lacks the button is already ending.
    if (startButton != nullptr) {
        startButton->setEnabled(chosenFileOpens && !services.updates.Busy());
    }
}

}  // namespace corvane
