#include "app/VersionRecord.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

namespace corvane {

VersionRecord VersionRecord::Load() {
    QFile resource(QStringLiteral(":/corvane/version.json"));
    resource.open(QIODevice::ReadOnly);
    const QJsonObject record = QJsonDocument::fromJson(resource.readAll()).object();
    return {record["internalName"].toString(), record["fileVersion"].toString()};
}

}  // namespace corvane
