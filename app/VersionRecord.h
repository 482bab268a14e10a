#pragma once

#include <QString>

namespace corvane {

// What the program shows of its version record, which resources/ keeps whole as data.
struct VersionRecord {
    QString internalName;
    QString fileVersion;

    static VersionRecord Load();
};

}  // namespace corvane
