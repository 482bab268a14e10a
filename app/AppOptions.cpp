#include "app/AppOptions.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <cstdlib>

#include "platform/RateText.h"
#include "platform/SystemRegistry.h"
#include "platform/registry/RegistryFileChoice.h"

namespace corvane {

AppOptions ParseAppOptions(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Writes a parameter file into the radio module over its serial line."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    // -V as corvane-update has it; -v as the window always had it.
    const QCommandLineOption version(
        {QStringLiteral("V"), QStringLiteral("v"), QStringLiteral("version")},
        QStringLiteral("Show the program's version."));
    const QCommandLineOption registry(
        QStringLiteral("registry"),
        QStringLiteral("Read the port and baud rate from this .reg file (default: "
                       "$CORVANE_REGISTRY, else %1).")
            .arg(QString::fromLatin1(platform::SystemRegistryName)),
        QStringLiteral("file"));
    const QCommandLineOption port(
        {QStringLiteral("p"), QStringLiteral("port")},
        QStringLiteral("The module's serial port, before the registry's. For the station: a port "
                       "that takes part, again for each."),
        QStringLiteral("device"));
    const QCommandLineOption baud(
        {QStringLiteral("b"), QStringLiteral("baud")},
        QStringLiteral("Its configured baud rate, before the registry's."), QStringLiteral("rate"));
    const QCommandLineOption fullScreen(QStringLiteral("fullscreen"),
                                        QStringLiteral("Fill the screen, as on a handheld."));
    const QCommandLineOption station(
        QStringLiteral("station"),
        QStringLiteral("Open the production line's station: one row per port, many at once."));
    const QCommandLineOption match(
        QStringLiteral("match"),
        QStringLiteral("For the station: the ports that a rule picks take part (USB id such as "
                       "0403:6001, serial:PREFIX, or a glob over the name), again for each."),
        QStringLiteral("rule"));
    const QCommandLineOption record(
        QStringLiteral("record"),
        QStringLiteral("For the station: add each update's line to this file (default: "
                       "updates.jsonl in the user's data folder)."),
        QStringLiteral("file"));
    QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                  QStringLiteral("Render the window to a PNG file and exit."),
                                  QStringLiteral("file"));
    screenshot.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOptions(
        {help, version, port, baud, registry, fullScreen, station, match, record, screenshot});
    parser.addPositionalArgument(QStringLiteral("file"),
                                 QStringLiteral("The parameter file to take at start."),
                                 QStringLiteral("[file]"));

    AppOptions options;
    if (!parser.parse(arguments)) {
        options.action = AppOptions::Action::Invalid;
        options.message = parser.errorText();
        return options;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        options.action = AppOptions::Action::Invalid;
        options.message = QStringLiteral("Unexpected argument: ") + files[1];
        return options;
    }
    if (parser.isSet(baud)) {
        options.baudRate = platform::ParseBaudRate(parser.value(baud).toStdString());
        if (!options.baudRate) {
            options.action = AppOptions::Action::Invalid;
            options.message = QStringLiteral("--baud: ") + QLatin1String(platform::BaudRateRule);
            return options;
        }
    }
    if (parser.isSet(port)) {
        options.port = QFile::encodeName(parser.value(port)).toStdString();
    }
    if (parser.isSet(help)) {
        options.action = AppOptions::Action::ShowHelp;
        // Without an application object the parser cannot know the program's name.
        options.message = parser.helpText().replace(QStringLiteral("<executable_name>"),
                                                    QFileInfo(arguments.value(0)).fileName());
    } else if (parser.isSet(version)) {
        options.action = AppOptions::Action::ShowVersion;
    }
    options.registryPath = QFile::decodeName(
        platform::ChooseRegistryFile(QFile::encodeName(parser.value(registry)).toStdString(),
                                     std::getenv("CORVANE_REGISTRY"))
            .c_str());
    options.fullScreen = parser.isSet(fullScreen);
    options.screenshotPath = parser.value(screenshot);
    options.parameterFile = files.value(0);
    if (parser.isSet(station)) {
        std::vector<std::string> given;
        for (const QString& name : parser.values(port)) {
            given.insert(given.end(), {"--port", QFile::encodeName(name).toStdString()});
        }
        for (const QString& rule : parser.values(match)) {
            given.insert(given.end(), {"--match", rule.toStdString()});
        }
        if (parser.isSet(record)) {
            given.insert(given.end(),
                         {"--record", QFile::encodeName(parser.value(record)).toStdString()});
        }
        if (!files.isEmpty()) {
            given.push_back(QFile::encodeName(files[0]).toStdString());
        }
        StationArguments read = ReadStationArguments(given);
        if (!read.wrong.empty()) {
            options.action = AppOptions::Action::Invalid;
            options.message = QString::fromStdString(read.wrong);
            return options;
        }
        read.baudRate = options.baudRate;
        options.station = std::move(read);
    } else if (parser.isSet(match) || parser.isSet(record)) {
        options.action = AppOptions::Action::Invalid;
        options.message = QStringLiteral("--match and --record go with --station.");
    }
    return options;
}

}  // namespace corvane
