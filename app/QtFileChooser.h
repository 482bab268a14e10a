#pragma once

#include <QStringList>

#include "app/FileChooser.h"

class QFileDialog;

namespace corvane {

// The platform's file-open dialog with the parameter file's filters.
class QtFileChooser : public FileChooser {
  public:
    std::optional<QString> ChooseFile(QWidget* owner) override;

    // The dialog as the operator sees it, not yet shown; the caller owns it.
    static QFileDialog* CreateDialog(QWidget* owner);
};

}  // namespace corvane
