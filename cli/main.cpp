#include <iostream>

#include "cli/CheckCommand.h"
#include "cli/CommandLine.h"
#include "cli/ConsoleStream.h"
#include "cli/PortListing.h"
#include "cli/ProgramInput.h"
#include "cli/SignalStop.h"
#include "cli/UpdateCommand.h"
#include "platform/SerialPortList.h"
#include "platform/SystemPlatform.h"

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
        return ListPorts(corvane::platform::ListSerialPorts(), *commandLine.options, console);
    }
    const std::optional<Connection> connection = ResolveConnection(*commandLine.options, std::cerr);
    if (!connection) {
        return UsageErrorStatus;
    }
    corvane::StopRequest stop;
    const SignalStop signals(stop);
    corvane::platform::SystemPlatform system;
    const corvane::UploadOutcome outcome =
        RunUpdateCommand(*commandLine.options, *connection, system.Get(), console, stop);
    return ExitStatus(outcome, SignalStop::Received());
}
