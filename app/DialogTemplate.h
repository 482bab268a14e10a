#pragma once

#include <QList>
#include <QRect>
#include <QString>
#include <cstdint>

#include "app/ResourceScript.h"

namespace corvane {

// Window and control style bits, numbered as the templates store them.
inline constexpr uint32_t WS_TABSTOP = 0x00010000;
inline constexpr uint32_t WS_GROUP = 0x00020000;
inline constexpr uint32_t WS_BORDER = 0x00800000;
inline constexpr uint32_t WS_DISABLED = 0x08000000;
inline constexpr uint32_t WS_VISIBLE = 0x10000000;
inline constexpr uint32_t ES_AUTOHSCROLL = 0x0080;
inline constexpr uint32_t ES_READONLY = 0x0800;

enum class ControlKind { PushButton, ProgressBar, GroupBox, AutoRadioButton, Edit };

struct ControlTemplate {
    int id = -1;  // -1: a control nobody addresses
    ControlKind kind = ControlKind::PushButton;
    QString caption;
    uint32_t style = 0;
    QRect rect;  // dialog units
};

// A dialog as its resource describes it; the controls in template order, which is the tab order.
// The dialog's own styles stay in the resource: the window is always a fixed-size dialog.
struct DialogTemplate {
    QString caption;
    QString fontFace;
    int fontPoints = 0;
    QRect rect;  // dialog units; the size is the client area's
    QList<ControlTemplate> controls;

    // Takes a dialog as the resource script gives it. False, and the template untouched, when a
    // control is of a kind the window cannot show.
    bool Parse(const ScriptDialog& dialog);
    // The program's dialog resource with that id; a template without controls when it is
    // missing or damaged, so that the dialog built on it fails visibly in binding its controls.
    static DialogTemplate Load(int id);
};

}  // namespace corvane
