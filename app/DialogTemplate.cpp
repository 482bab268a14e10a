#include "app/DialogTemplate.h"

#include <QString>
#include <optional>
#include <string>

#include "app/ProgramResources.h"

namespace corvane {
namespace {

constexpr uint32_t ButtonTypeMask = 0x000F;
constexpr uint32_t BS_PUSHBUTTON = 0x0000;
constexpr uint32_t BS_DEFPUSHBUTTON = 0x0001;
constexpr uint32_t BS_GROUPBOX = 0x0007;
constexpr uint32_t BS_AUTORADIOBUTTON = 0x0009;

// Windows compares class names without regard to case, and windres writes them in capitals.
bool IsClass(const std::string& windowClass, const char* name) {
    return QString::fromStdString(windowClass).compare(QLatin1String(name), Qt::CaseInsensitive) ==
           0;
}

std::optional<ControlKind> KindOf(const ScriptControl& control) {
    if (IsClass(control.windowClass, "msctls_progress32")) {
        return ControlKind::ProgressBar;
    }
    if (IsClass(control.windowClass, "Edit")) {
        return ControlKind::Edit;
    }
    if (!IsClass(control.windowClass, "Button")) {
        return std::nullopt;
    }
    switch (control.style & ButtonTypeMask) {
        case BS_PUSHBUTTON:
        case BS_DEFPUSHBUTTON:
            return ControlKind::PushButton;
        case BS_GROUPBOX:
            return ControlKind::GroupBox;
        case BS_AUTORADIOBUTTON:
            return ControlKind::AutoRadioButton;
        default:
            return std::nullopt;
    }
}

QRect RectOf(const ScriptRect& rect) {
    return QRect(rect.x, rect.y, rect.width, rect.height);
}

}  // namespace

bool DialogTemplate::Parse(const ScriptDialog& dialog) {
    QList<ControlTemplate> parsedControls;
    for (const ScriptControl& control : dialog.controls) {
        const auto kind = KindOf(control);
        if (!kind) {
            return false;
        }
        parsedControls.append({control.id, *kind, QString::fromStdString(control.caption),
                               control.style, RectOf(control.rect)});
    }
    caption = QString::fromStdString(dialog.caption);
    fontFace = QString::fromStdString(dialog.fontFace);
    fontPoints = dialog.fontPoints;
    rect = RectOf(dialog.rect);
    controls = std::move(parsedControls);
    return true;
}

DialogTemplate DialogTemplate::Load(int id) {
    DialogTemplate dialog;
    ResourceScript script;
    std::string error;
    if (!ReadProgramResources(script, error)) {
        qWarning("%s", error.c_str());
    } else if (script.Dialog(id) == nullptr || !dialog.Parse(*script.Dialog(id))) {
        qWarning("dialog resource %d is missing or holds a control the window cannot show", id);
    }
    return dialog;
}

}  // namespace corvane
