#pragma once

#include <QStringList>

#include "app/FileChooser.h"

class QFileDialog;

namespace corvane {

// The platform's file dialogs: open with the parameter file's filters, save for a record.
class QtFileChooser : public FileChooser {
  public:
    std::optional<QString> ChooseFile(QWidget* owner) override;
    std::optional<QString> ChooseRecordFile(QWidget* owner, const QString& current) override;

    // The dialog as the operator sees it, not yet shown; the caller owns it.
    static QFileDialog* CreateDialog(QWidget* owner);
};

}  // namespace corvane
