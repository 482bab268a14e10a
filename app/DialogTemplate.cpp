#include "app/DialogTemplate.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <optional>

namespace corvane {
namespace {

std::optional<ControlKind> KindNamed(const QString& name) {
    static const QList<std::pair<QString, ControlKind>> kinds = {
        {"pushbutton", ControlKind::PushButton},
        {"progressbar", ControlKind::ProgressBar},
        {"groupbox", ControlKind::GroupBox},
        {"autoradiobutton", ControlKind::AutoRadioButton},
        {"edit", ControlKind::Edit},
    };
    for (const auto& [kindName, kind] : kinds) {
        if (kindName == name) {
            return kind;
        }
    }
    return std::nullopt;
}

// Styles are written as "0x..." text, as they are usually read.
std::optional<uint32_t> StyleFrom(const QJsonValue& value) {
    bool ok = false;
    const uint32_t style = value.toString().toUInt(&ok, 16);
    return ok ? std::optional(style) : std::nullopt;
}

std::optional<QRect> RectFrom(const QJsonValue& value) {
    const QJsonArray numbers = value.toArray();
    if (numbers.size() != 4) {
        return std::nullopt;
    }
    for (const QJsonValue& number : numbers) {
        if (!number.isDouble()) {
            return std::nullopt;
        }
    }
    return QRect(numbers[0].toInt(), numbers[1].toInt(), numbers[2].toInt(), numbers[3].toInt());
}

std::optional<ControlTemplate> ControlFrom(const QJsonObject& object) {
    const auto kind = KindNamed(object["kind"].toString());
    const auto style = StyleFrom(object["style"]);
    const auto rect = RectFrom(object["rect"]);
    if (!kind || !style || !rect || !object["id"].isDouble() || !object["caption"].isString()) {
        return std::nullopt;
    }
    return ControlTemplate{object["id"].toInt(), *kind, object["caption"].toString(), *style,
                           *rect};
}

}  // namespace

bool DialogTemplate::Parse(const QByteArray& json) {
    const QJsonObject root = QJsonDocument::fromJson(json).object();
    const QJsonObject font = root["font"].toObject();
    const auto parsedRect = RectFrom(root["rect"]);
    if (!parsedRect || !root["caption"].isString() || !font["face"].isString() ||
        !font["points"].isDouble()) {
        return false;
    }
    QList<ControlTemplate> parsedControls;
    for (const QJsonValue& value : root["controls"].toArray()) {
        const auto control = ControlFrom(value.toObject());
        if (!control) {
            return false;
        }
        parsedControls.append(*control);
    }
    caption = root["caption"].toString();
    fontFace = font["face"].toString();
    fontPoints = font["points"].toInt();
    rect = *parsedRect;
    controls = std::move(parsedControls);
    return true;
}

DialogTemplate DialogTemplate::Load(int id) {
    DialogTemplate dialog;
    QFile resource(QStringLiteral(":/corvane/dialog%1.json").arg(id));
    if (!resource.open(QIODevice::ReadOnly) || !dialog.Parse(resource.readAll())) {
        qWarning("dialog resource %d is missing or damaged", id);
    }
    return dialog;
}

}  // namespace corvane
