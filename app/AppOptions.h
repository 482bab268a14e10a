#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <string>

#include "app/core/StationArguments.h"

namespace corvane {

// As corvane-update's: an unknown option, a missing or bad value, more than one file.
inline constexpr int UsageErrorStatus = 64;

struct AppOptions {
    enum class Action { Run, ShowVersion, ShowHelp, Invalid };

    Action action = Action::Run;
    // --registry FILE, else $CORVANE_REGISTRY, else the system's default.
    QString registryPath;
    // --port and --baud, as corvane-update takes them: before the registry.
    std::optional<std::string> port;
    std::optional<uint32_t> baudRate;
    bool fullScreen = false;
    // The parameter file to take at start, as "..." would; empty for none.
    QString parameterFile;
    // Set by the hidden --screenshot FILE: render the window to a PNG instead of running it.
    QString screenshotPath;
    // --station: the production line's window instead of the dialog, set up by these.
    std::optional<StationArguments> station;
    // The help text, or what was wrong with the command line.
    QString message;
};

// Reads the program's command line, program name first.
AppOptions ParseAppOptions(const QStringList& arguments);

}  // namespace corvane
