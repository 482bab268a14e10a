#include "app/ProgramResources.h"

#include <QFile>

namespace corvane {

bool ReadProgramResources(ResourceScript& script, std::string& error) {
    QFile file(QStringLiteral(":/corvane/Corvane.rc"));
    if (!file.open(QIODevice::ReadOnly)) {
        error = "Corvane.rc is not compiled in";
        return false;
    }
    const QByteArray text = file.readAll();
    if (!ReadResourceScript(std::string_view(text.constData(), text.size()), ProgramScriptMacros,
                            script, error)) {
        error = "Corvane.rc: " + error;
        return false;
    }
    return true;
}

}  // namespace corvane
