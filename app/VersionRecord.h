#pragma once

#include <QString>

namespace corvane {

// What the program shows of its version record, which resources/Corvane.rc keeps whole.
struct VersionRecord {
    QString internalName;
    QString fileVersion;

    static VersionRecord Load();
};

}  // namespace corvane
