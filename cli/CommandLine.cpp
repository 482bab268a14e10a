#include "cli/CommandLine.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <sstream>
#include <vector>

#include "cli/HelpWords.h"
#include "platform/RateText.h"
#include "platform/SystemRegistry.h"
#include "platform/registry/RegistryFileChoice.h"
#include "upload/BlockCommands.h"

namespace corvane::cli {

namespace {

std::string CheckBaudRate(const std::string& text) {
    return platform::ParseBaudRate(text) ? "" : platform::BaudRateRule;
}

// A module's model code, with or without its letter: "47", "K47", "316". Only a positive
// number: atoi would read "x47" as 0 and quietly choose the text procedure.
std::optional<std::string> ModelCodeDigits(const std::string& text) {
    const size_t start = !text.empty() && (text[0] == 'K' || text[0] == 'k') ? 1 : 0;
    const std::string digits = text.substr(start);
    if (digits.empty() || digits.size() > 9 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
        std::stoul(digits) == 0) {
        return std::nullopt;
    }
    return digits;
}

std::string CheckFamily(const std::string& text) {
    return ModelCodeDigits(text) ? "" : "CODE must be a module model code such as 31, K31 or 47";
}

}  // namespace

CommandLine ParseCommandLine(int argc, const char* const* argv, const Environment& environment) {
    UpdateOptions options;
    std::string family = "31";
    std::vector<std::string> ports;
    std::string baudRate;
    std::string registryFile;

    CLI::App app("Writes an audio/battery parameter file into the radio module on a serial line.",
                 "corvane-update");
    // A file named by its absolute Unix path (Wine passes those through) is no "/option".
    app.allow_windows_style_options(false);
    app.set_version_flag("-V,--version", "corvane-update " CORVANE_VERSION);
    app.add_option("-f,--family", family,
                   "the module's model code, with or without its K (default 31): K31 and other "
                   "models below 40, and 316, take text files; K47 and the rest take binary "
                   "files")
        ->type_name("CODE")
        ->check(CheckFamily);
    app.add_option("-p,--port", ports,
                   "serial device; given more than once, each port is updated at the same time")
        ->type_name("DEVICE")
        // One device per -p: the next word is FILE or another option.
        ->allow_extra_args(false);
    app.add_option("-b,--baud", baudRate, "configured baud rate")
        ->type_name("RATE")
        ->check(CheckBaudRate);
    const CLI::Option* registryOption =
        app.add_option("-r,--registry", registryFile,
                       "registry export (.reg) for what --port and --baud do not give (default: " +
                           VariableValue("CORVANE_REGISTRY") + ", else " +
                           std::string(platform::SystemRegistryName) + ")")
            ->type_name("FILE");
    app.add_option("-s,--set-name", options.setName,
                   "parameter-set name (default aud): 1 to 16 printable ASCII characters without "
                   "spaces, ',', ';' or '\"'")
        ->type_name("NAME")
        // Refused here, before any port is opened.
        ->check([](const std::string& name) { return SetNameProblem(name); });
    app.add_flag("--trace", options.trace,
                 "print the AT dialogue, escaped, with milliseconds since start, to stderr");
    app.add_flag("-q,--quiet", options.quiet, "no progress display");
    CLI::Option* check = app.add_flag(
        "--check", options.check,
        "only read FILE as the update would (with --family) and tell what would be sent, "
        "or the first problem; no port is opened. Exit status 0, 3 or 4");
    CLI::Option* file = app.add_option("FILE", options.filePath, "parameter file (*.prm)");
    file->type_name("");
    CLI::Option* all =
        app.add_flag("--all", options.allPorts,
                     "update the module on every port --list-ports shows, all at the same time");
    app.add_option("--match", options.matchRules,
                   "take part only with a port that RULE picks: vvvv:pppp (USB vendor:product), "
                   "serial:PREFIX (USB serial number), or a glob over the device or its stable "
                   "name (/dev/serial/by-path/*); given more than once, any of them; without "
                   "--port, among every port; with --list-ports, the ports listed")
        ->type_name("RULE")
        ->allow_extra_args(false);
    CLI::Option* watch = app.add_flag(
        "--watch", options.watch,
        "keep running and update each module once as its port appears (again only after it "
        "went and came back), until " +
            std::string(StopRequests) + " or --count updates");
    app.add_option("--count", options.count, "with --watch: end after N updates")
        ->type_name("N")
        ->check(CLI::PositiveNumber)
        ->needs(watch);
    app.add_option("--record", options.recordFile,
                   "append one JSON line per update to FILE (JSON Lines; see the manual)")
        ->type_name("FILE");
    app.add_flag("--list-ports", options.listPorts,
                 "list the serial ports present (USB vendor:product, manufacturer, product, "
                 "driver), mark the one the registry names, and exit")
        ->excludes(check)
        ->excludes(watch)
        ->excludes(all);
    app.footer(
        "Environment: CORVANE_PORT and CORVANE_BAUD stand in for --port and --baud when those are "
        "not given, before the registry; CORVANE_REGISTRY for --registry.\n"
        "Exit status: 0 on success; 2 to 7, the update's result code; 64 for a usage error "
        "(also: no serial port given or found, or a --registry FILE that does not read); 130 or "
        "143 when " +
        std::string(StopRequests) +
        " stopped the update at its next probe, command or block (a second one ends it at "
        "once). With several ports: 0 only when every module was written, else the status of "
        "the first port in order that was not; with --watch, 0 unless the watch could not "
        "run.");

    // CLI11 takes no option that does not start with '-'.
    std::vector<const char*> arguments(argv, argv + argc);
    if (!HelpAlias.empty()) {
        std::replace_if(
            arguments.begin() + (argc > 0 ? 1 : 0), arguments.end(),
            [](const char* argument) { return argument == HelpAlias; }, "--help");
    }
    CommandLine result;
    try {
        app.parse(argc, arguments.data());
        // FILE is required unless the ports are listed, which CLI11 has no word for.
        if (options.listPorts && file->count() > 0) {
            throw CLI::ExcludesError("--list-ports", file->get_name());
        }
        if (!options.listPorts && file->count() == 0) {
            throw CLI::RequiredError(file->get_name());
        }
        // The trace of several ports at once would be one tangle on stderr.
        if (options.trace && (ports.size() > 1 || options.allPorts || options.watch ||
                              !options.matchRules.empty())) {
            throw CLI::ValidationError("--trace",
                                       "follows one port; leave out --all, --match, "
                                       "--watch and the other --port");
        }
    } catch (const CLI::ParseError& error) {
        std::ostringstream output;
        std::ostringstream diagnostics;
        const int status = app.exit(error, output, diagnostics);
        result.exitStatus = status == 0 ? 0 : UsageErrorStatus;
        result.output = output.str();
        result.diagnostics = diagnostics.str();
        return result;
    }
    options.procedure = ProcedureForModelCode(ModelCodeDigits(family)->c_str());
    options.registryFile = platform::ChooseRegistryFile(registryFile, environment.registry);
    options.registryRequired = registryOption->count() > 0;
    options.ports = ports;
    if (!ports.empty()) {
        options.port = ports.front();
    } else if (environment.port != nullptr && *environment.port != '\0') {
        options.port = environment.port;
    }
    if (app.count("--baud") > 0) {
        options.baudRate = platform::ParseBaudRate(baudRate);
    } else if (environment.baud != nullptr && *environment.baud != '\0') {
        options.baudRate = platform::ParseBaudRate(environment.baud);
        if (!options.baudRate) {
            result.exitStatus = UsageErrorStatus;
            result.diagnostics = "CORVANE_BAUD: " + CheckBaudRate(environment.baud) + "\n";
            return result;
        }
    }
    result.options = options;
    return result;
}

}  // namespace corvane::cli
