#include "app/DialogBuilder.h"

#include <QButtonGroup>
#include <QFontMetricsF>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <cmath>

#include "app/CaptionWidth.h"
#include "app/GroupFrame.h"

namespace corvane {
namespace {

int Scale(int units, double pixelsPerUnit) {
    return static_cast<int>(std::lround(units * pixelsPerUnit));
}

QWidget* CreateControl(const ControlTemplate& control, QWidget* parent) {
    switch (control.kind) {
        case ControlKind::PushButton:
            return new QPushButton(control.caption, parent);
        case ControlKind::AutoRadioButton:
            return new QRadioButton(control.caption, parent);
        case ControlKind::Edit: {
            auto* edit = new QLineEdit(control.caption, parent);
            edit->setReadOnly(control.style & ES_READONLY);
            edit->setFrame(control.style & WS_BORDER);
            if (edit->isReadOnly()) {
                // Read-only boxes show the dialog's own background, as text to read, not type.
                QPalette palette = edit->palette();
                palette.setColor(QPalette::Base, Qt::transparent);
                edit->setPalette(palette);
            }
            return edit;
        }
        case ControlKind::ProgressBar: {
            // The control shows no text of its own; it starts at 0 of 0..100.
            auto* bar = new QProgressBar(parent);
            bar->setTextVisible(false);
            bar->setRange(0, 100);
            bar->setValue(0);
            return bar;
        }
        case ControlKind::GroupBox:
            return new GroupFrame(control.caption, parent);
    }
    return nullptr;
}

Qt::FocusPolicy FocusPolicyOf(const ControlTemplate& control) {
    if (control.kind == ControlKind::GroupBox || control.kind == ControlKind::ProgressBar) {
        return Qt::NoFocus;
    }
    return (control.style & WS_TABSTOP) ? Qt::StrongFocus : Qt::ClickFocus;
}

}  // namespace

DialogUnits DialogUnits::Of(const QFont& font) {
    const QFontMetricsF metrics(font);
    // The average over the letters, not the font's nominal figure, which runs narrow for
    // proportional fonts and would clip the captions.
    const double character = metrics.horizontalAdvance(QStringLiteral(
                                 "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) /
                             52;
    return {character / 4, metrics.height() / 8};
}

QRect DialogUnits::ToPixels(const QRect& rect) const {
    return QRect(Scale(rect.x(), x), Scale(rect.y(), y), Scale(rect.width(), x),
                 Scale(rect.height(), y));
}

void DialogControls::Layout(QSize clientSize) {
    if (templateSize.isEmpty()) {
        return;  // a damaged template: the dialog is ending anyway
    }
    const double across = double(clientSize.width()) / templateSize.width();
    const double down = double(clientSize.height()) / templateSize.height();
    QFont scaled = font;
    if (across != 1 || down != 1) {
        scaled.setPointSizeF(font.pointSizeF() * std::min(across, down));
    }
    dialog->setFont(scaled);
    const DialogUnits stretched{units.x * across, units.y * down};
    for (const Placed& control : placed) {
        control.widget->setGeometry(stretched.ToPixels(control.units));
    }
}

DialogControls BuildDialog(QDialog& dialog, const DialogTemplate& dialogTemplate) {
    DialogControls controls;
    controls.dialog = &dialog;
    controls.font = QFont(dialogTemplate.fontFace, dialogTemplate.fontPoints);
    controls.units = DialogUnits::Of(controls.font);
    controls.templateSize = controls.units.ToPixels(dialogTemplate.rect).size();
    dialog.setWindowTitle(dialogTemplate.caption);

    QButtonGroup* radioGroup = nullptr;
    QWidget* previousTabStop = nullptr;
    QList<QWidget*> frames;
    for (const ControlTemplate& control : dialogTemplate.controls) {
        QWidget* widget = CreateControl(control, &dialog);
        widget->setObjectName(QString::number(control.id));
        widget->setEnabled(!(control.style & WS_DISABLED));
        widget->setVisible(control.style & WS_VISIBLE);
        widget->setFocusPolicy(FocusPolicyOf(control));
        controls.placed.append({widget, control.rect});

        if (control.style & WS_GROUP) {
            radioGroup = nullptr;
        }
        if (control.kind == ControlKind::AutoRadioButton) {
            if (radioGroup == nullptr) {
                radioGroup = new QButtonGroup(&dialog);
            }
            auto* button = static_cast<QAbstractButton*>(widget);
            radioGroup->addButton(button, static_cast<int>(radioGroup->buttons().size()));
        }
        if (control.kind == ControlKind::GroupBox) {
            frames.append(widget);
        }
        if (widget->focusPolicy() == Qt::StrongFocus) {
            if (previousTabStop != nullptr) {
                QWidget::setTabOrder(previousTabStop, widget);
            }
            previousTabStop = widget;
        }
    }
    for (QWidget* frame : frames) {
        frame->lower();
    }

    QSize size = controls.templateSize;
    const int captionWidth = CaptionWidth(dialogTemplate.caption);
    if (captionWidth > size.width() && !size.isEmpty()) {
        size = size * (double(captionWidth) / size.width());
    }
    dialog.setFixedSize(size);
    controls.Layout(size);
    return controls;
}

}  // namespace corvane
