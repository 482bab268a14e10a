#include <iostream>

#include "cli/CheckCommand.h"
#include "cli/CommandLine.h"
#include "cli/ConsoleStream.h"
#include "cli/LineCommand.h"
#include "cli/PortListing.h"
#include "cli/ProgramInput.h"
#include "cli/SignalStop.h"
#include "cli/UpdateCommand.h"
#include "line/LineUpdate.h"
#include "platform/SerialPortList.h"
#include "platform/registry/ConnectionSettings.h"

int main(int argc, char** argv) {
    using namespace corvane::cli;
    const Utf8Console utf8;
    const ProgramInput input(argc, argv);
    const CommandLine commandLine =
        ParseCommandLine(input.Count(), input.Arguments(), input.Variables());
    std::cout << commandLine.output << std::flush;
    std::cerr << commandLine.diagnostics << std::flush;
    if (!commandLine.options) {
        return commandLine.exitStatus;
    }
    Console console{std::cout, std::cerr, IsConsole(stderr), ConsoleWidth(stderr)};
    if (commandLine.options->check) {
        return RunCheckCommand(*commandLine.options, console);
    }
    if (commandLine.options->listPorts) {
        const auto rules = MatchRules(*commandLine.options, std::cerr);
        if (!rules) {
            return UsageErrorStatus;
        }
        std::vector<corvane::platform::SerialPortInfo> ports = corvane::platform::ListSerialPorts();
        std::erase_if(ports, [&rules](const corvane::platform::SerialPortInfo& port) {
            return !corvane::line::PicksAny(*rules, port);
        });
        return ListPorts(ports, *commandLine.options, console);
    }
    const UpdateOptions& options = *commandLine.options;
    corvane::StopRequest stop;
    if (options.Line()) {
        // The registry names the handheld's own port and rate; a line's modules are found by
        // the search from --baud.
        const SignalStop signals(stop);
        console.errMovesCursor = MovesCursorOnRequest(stderr);
        return RunLineCommand(options,
                              options.baudRate.value_or(corvane::platform::DefaultBaudRate),
                              corvane::line::RunLineUpdate, console, stop, SignalStop::Received);
    }
    const std::optional<Connection> connection = ResolveConnection(options, std::cerr);
    if (!connection) {
        return UsageErrorStatus;
    }
    const SignalStop signals(stop);
    return RunSingleCommand(options, *connection, console, stop, SignalStop::Received);
}
