#include "app/CaptionWidth.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QStyle>

namespace corvane {

int CaptionWidth(const QString& caption) {
    const QFontMetrics title(QFontDatabase::systemFont(QFontDatabase::TitleFont));
    // The window manager draws the bar; the style's bar height is the best measure of its
    // square icon and buttons there is, with a margin of about one more.
    const int buttons = 3 * QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight);
    return title.horizontalAdvance(caption) + buttons;
}

}  // namespace corvane
