#include "app/VersionRecord.h"

#include <string>

#include "app/ProgramResources.h"

namespace corvane {

VersionRecord VersionRecord::Load() {
    ResourceScript script;
    std::string error;
    if (!ReadProgramResources(script, error) || script.versions.empty()) {
        qWarning("the version record is missing: %s", error.c_str());
        return {};
    }
    const ScriptVersion& record = script.versions.front();
    return {QString::fromStdString(record.String("InternalName")),
            QString::fromStdString(record.String("FileVersion"))};
}

}  // namespace corvane
