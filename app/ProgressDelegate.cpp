#include "app/ProgressDelegate.h"

#include <QApplication>
#include <QPainter>
#include <QStyleOptionProgressBar>
#include <algorithm>

namespace corvane {

void ProgressDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    cell.text.clear();
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    // The cell's background (the row's colour, the selection) under the bar.
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);

    const int range = std::max(1, index.data(ProgressRangeRole).toInt());
    const int position = std::clamp(index.data(ProgressPositionRole).toInt(), 0, range);
    QStyleOptionProgressBar bar;
    bar.initFrom(widget);
    bar.rect = option.rect.adjusted(2, 2, -2, -2);
    bar.minimum = 0;
    bar.maximum = range;
    bar.progress = position;
    bar.text = QStringLiteral("%1 %").arg(position * 100 / range);
    bar.textVisible = true;
    bar.textAlignment = Qt::AlignCenter;
    bar.state = option.state | QStyle::State_Horizontal;
    style->drawControl(QStyle::CE_ProgressBar, &bar, painter, widget);
}

}  // namespace corvane
