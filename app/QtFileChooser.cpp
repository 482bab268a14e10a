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

}  // namespace corvane
