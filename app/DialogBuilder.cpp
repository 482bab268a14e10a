#include "app/DialogBuilder.h"

#include <QButtonGroup>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <cmath>

namespace corvane {
namespace {

int Scale(int units, double base, int divisor) {
    return static_cast<int>(std::lround(units * base / divisor));
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
                // Read-only boxes show on the dialog's own background, as text to read, not type.
                QPalette palette = edit->palette();
                palette.setColor(QPalette::Base, palette.color(QPalette::Window));
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
        case ControlKind::GroupBox: {
            // A frame only: it lies beneath the controls it surrounds and lets their clicks pass.
            auto* box = new QGroupBox(control.caption, parent);
            box->setAttribute(Qt::WA_TransparentForMouseEvents);
            return box;
        }
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

QRect DialogUnitsToPixels(const QRect& units, const QFont& font) {
    const QFontMetricsF metrics(font);
    // The average over the letters, not the font's nominal figure, which runs narrow for
    // proportional fonts and would clip the captions.
    const double baseX = metrics.horizontalAdvance(QStringLiteral(
                             "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) /
                         52;
    const double baseY = metrics.height();
    return QRect(Scale(units.x(), baseX, 4), Scale(units.y(), baseY, 8),
                 Scale(units.width(), baseX, 4), Scale(units.height(), baseY, 8));
}

void BuildDialog(QDialog& dialog, const DialogTemplate& dialogTemplate) {
    const QFont font(dialogTemplate.fontFace, dialogTemplate.fontPoints);
    dialog.setFont(font);
    dialog.setWindowTitle(dialogTemplate.caption);
    dialog.setFixedSize(DialogUnitsToPixels(dialogTemplate.rect, font).size());

    QButtonGroup* radioGroup = nullptr;
    QWidget* previousTabStop = nullptr;
    QList<QWidget*> frames;
    for (const ControlTemplate& control : dialogTemplate.controls) {
        QWidget* widget = CreateControl(control, &dialog);
        widget->setObjectName(QString::number(control.id));
        widget->setGeometry(DialogUnitsToPixels(control.rect, font));
        widget->setEnabled(!(control.style & WS_DISABLED));
        widget->setVisible(control.style & WS_VISIBLE);
        widget->setFocusPolicy(FocusPolicyOf(control));

        if (control.style & WS_GROUP) {
            radioGroup = nullptr;
        }
        if (control.kind == ControlKind::AutoRadioButton) {
            if (radioGroup == nullptr) {
                radioGroup = new QButtonGroup(&dialog);
                radioGroup->setObjectName(QStringLiteral("group%1").arg(control.id));
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
}

}  // namespace corvane
