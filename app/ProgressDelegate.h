#pragma once

#include <QStyledItemDelegate>

namespace corvane {

// Draws a table cell as a progress bar: its position and range are the item's data under
// ProgressPositionRole and ProgressRangeRole.
class ProgressDelegate : public QStyledItemDelegate {
    Q_OBJECT

  public:
    static constexpr int ProgressPositionRole = Qt::UserRole;
    static constexpr int ProgressRangeRole = Qt::UserRole + 1;

    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};

}  // namespace corvane
