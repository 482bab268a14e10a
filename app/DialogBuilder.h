#pragma once

#include <QDialog>
#include <QFont>
#include <QList>
#include <QRect>
#include <QSize>

#include "app/DialogTemplate.h"

namespace corvane {

// Pixels per dialog unit across and down. Dialog units are fractions of the dialog font: a
// quarter of its average character width across, an eighth of its height down, so a layout keeps
// its proportions at any font size.
struct DialogUnits {
    double x = 0;
    double y = 0;

    static DialogUnits Of(const QFont& font);
    QRect ToPixels(const QRect& units) const;
};

// The controls built from a template, each placed by its rectangle in dialog units.
class DialogControls {
  public:
    // Places every control for a client area of that size: the template's dialog units stretched
    // to fill it, the font scaled with them by the lesser stretch, so that its text still fits.
    void Layout(QSize clientSize);

  private:
    friend DialogControls BuildDialog(QDialog& dialog, const DialogTemplate& dialogTemplate);
    struct Placed {
        QWidget* widget;
        QRect units;
    };

    QWidget* dialog = nullptr;
    QFont font;
    QSize templateSize;  // the client size at the template's font, in pixels
    DialogUnits units;
    QList<Placed> placed;
};

// Gives dialog the template's caption, font and client size, widened where the title bar needs it
// for the caption (the template's proportions kept), and creates its controls in template order.
// Each control's object name is its id; the radio buttons of one group (from a control with
// WS_GROUP up to the next) share an exclusive QButtonGroup, their indices in group order.
DialogControls BuildDialog(QDialog& dialog, const DialogTemplate& dialogTemplate);

}  // namespace corvane
