#pragma once

#include <QString>
#include <optional>

class QWidget;

namespace corvane {

// Asks the operator for an existing parameter file, or where to keep a record. A seam so that
// tests can answer for them.
class FileChooser {
  public:
    virtual ~FileChooser() = default;
    // The chosen file's full path; nothing when the operator cancelled.
    virtual std::optional<QString> ChooseFile(QWidget* owner) = 0;
    // A record file (JSON Lines) to write, starting at current; nothing when cancelled.
    virtual std::optional<QString> ChooseRecordFile(QWidget* owner, const QString& current) = 0;
};

}  // namespace corvane
