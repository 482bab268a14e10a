#pragma once

#include <QDialog>
#include <QFont>
#include <QRect>

#include "app/DialogTemplate.h"

namespace corvane {

// Dialog units are fractions of the dialog font: a quarter of its average character width across,
// an eighth of its height down, so a layout keeps its proportions at any font size.
QRect DialogUnitsToPixels(const QRect& units, const QFont& font);

// Gives dialog the template's caption, font and client size and creates its controls in template
// order. Each control's object name is its id; the radio buttons of one group (from a control
// with WS_GROUP up to the next) share an exclusive QButtonGroup, their indices in group order.
void BuildDialog(QDialog& dialog, const DialogTemplate& dialogTemplate);

}  // namespace corvane
