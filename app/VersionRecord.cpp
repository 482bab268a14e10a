#include "app/VersionRecord.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

namespace corvane {

VersionRecord VersionRecord::Load() {
    QFile resource(QStringLiteral(":/corvane/version.json"));
    resource.open(QIODevice::ReadOnly);
    const QJsonObject record = QJsonDocument::fromJson(resource.readAll()).object();
    return {record["fileVersion"].toString(),
            record["productVersion"].toString(),
            record["internalName"].toString(),
            record["originalFilename"].toString(),
            record["language"].toString().toInt(nullptr, 16),
            record["codePage"].toInt()};
}

}  // namespace corvane
