#pragma once

#include <QString>

namespace corvane {

// The program's version record, kept in resources/ as data.
struct VersionRecord {
    QString fileVersion;
    QString productVersion;
    QString internalName;
    QString originalFilename;
    int language = 0;
    int codePage = 0;

    static VersionRecord Load();
};

}  // namespace corvane
