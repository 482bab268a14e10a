#include "app/QtFileChooser.h"

#include <QFileDialog>
#include <memory>

namespace corvane {

QFileDialog* QtFileChooser::CreateDialog(QWidget* owner) {
    auto* dialog = new QFileDialog(owner);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    // Display text and pattern as the device shows them, the first one's opening "(" included.
    dialog->setNameFilters(
        {QStringLiteral("(Audio Parameter (*.prm)"), QStringLiteral("All Files (*.*)")});
    dialog->setDefaultSuffix(QStringLiteral("aud"));
    dialog->selectFile(QStringLiteral("*.prm"));
    return dialog;
}

std::optional<QString> QtFileChooser::ChooseFile(QWidget* owner) {
    const std::unique_ptr<QFileDialog> dialog(CreateDialog(owner));
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog->selectedFiles().constFirst();
}

std::optional<QString> QtFileChooser::ChooseRecordFile(QWidget* owner, const QString& current) {
    QFileDialog dialog(owner);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(
        {QStringLiteral("Update record (*.jsonl)"), QStringLiteral("All Files (*)")});
    dialog.setDefaultSuffix(QStringLiteral("jsonl"));
    // Records are added to: choosing an existing one is not replacing it.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.selectFile(current);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().constFirst();
}

}  // namespace corvane
