#include "app/QtFileChooser.h"

#include <QFileDialog>

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
    QFileDialog* dialog = CreateDialog(owner);
    std::optional<QString> chosen;
    if (dialog->exec() == QDialog::Accepted && !dialog->selectedFiles().isEmpty()) {
        chosen = dialog->selectedFiles().constFirst();
    }
    delete dialog;
    return chosen;
}

}  // namespace corvane
