#include <unistd.h>

#include <cstdlib>
#include <iostream>

#include "cli/CommandLine.h"
#include "cli/SignalStop.h"
#include "cli/UpdateCommand.h"
#include "platform/Platform.h"

int main(int argc, char** argv) {
    using namespace corvane::cli;
    const CommandLine commandLine = ParseCommandLine(argc, argv, std::getenv("CORVANE_REGISTRY"));
    std::cout << commandLine.output << std::flush;
    std::cerr << commandLine.diagnostics << std::flush;
    if (!commandLine.options) {
        return commandLine.exitStatus;
    }
    Console console{std::cout, std::cerr, isatty(STDERR_FILENO) == 1};
    corvane::StopRequest stop;
    const SignalStop signals(stop);
    const corvane::UploadOutcome outcome = RunUpdateCommand(
        *commandLine.options, corvane::platform::Platform::System(), console, &stop);
    return ExitStatus(outcome, SignalStop::Received());
}
