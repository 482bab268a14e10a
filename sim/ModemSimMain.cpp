// corvane-modemsim: a virtual radio module on a pseudo-terminal. Prints the device path to
// open as the first line on stdout, serves it until stdin closes or SIGINT/SIGTERM arrives,
// then writes the transcript and the stored parameter set where asked.

#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <array>
#include <cstdio>
#include <iostream>
#include <string>

#include "sim/ModemRecords.h"
#include "sim/PtyModem.h"

namespace {

using corvane::sim::Family;
using corvane::sim::ModemOptions;

struct Outputs {
    std::string transcript;
    std::string stored;
};

void DefineOptions(CLI::App& app, ModemOptions& options, Outputs& outputs) {
    app.add_option_function<int>(
           "--family",
           [&options](int family) { options.family = family == 47 ? Family::K47 : Family::K31; },
           "module family: 31 (text blocks) or 47 (binary records)")
        ->check(CLI::IsMember({31, 47}))
        ->default_str("31");
    app.add_option("--rate", options.rate, "the only rate it understands; 0 for any")
        ->capture_default_str();
    app.add_flag("--echo,!--no-echo", options.echo, "echo what it receives (default on)");
    app.add_flag("--numeric", options.numeric, "numeric result codes (0, 1, 4)");
    app.add_option("--latency", options.latencyMs, "ms before each reply")->capture_default_str();
    app.add_flag("--silent", options.faults.silent, "fault: never send anything");
    app.add_flag("--block-error", options.faults.blockError, "fault: ERROR to block commands");
    app.add_flag("--wrong-marker", options.faults.wrongMarker,
                 "fault: answer block commands with the other family's marker");
    app.add_flag("--no-confirm", options.faults.neverConfirm, "fault: never confirm a block");
    app.add_option("--long-reply", options.faults.longReply,
                   "fault: this many filler bytes ahead of every reply");
    app.add_option("--hang-up-after", options.faults.hangUpAfterBlocks,
                   "fault: hang the line up after confirming this many blocks");
    app.add_option("--transcript", outputs.transcript, "write every byte received here on exit");
    app.add_option("--stored", outputs.stored, "write the stored parameter set here on exit");
}

// Blocks until stdin reaches its end or one of the blocked signals arrives.
void WaitForEnd(int signals) {
    std::array<pollfd, 2> watched{{{.fd = STDIN_FILENO, .events = POLLIN, .revents = 0},
                                   {.fd = signals, .events = POLLIN, .revents = 0}}};
    std::array<char, 256> discard{};
    for (;;) {
        if (poll(watched.data(), watched.size(), -1) < 0) {
            continue;  // EINTR
        }
        if (watched[1].revents != 0 || (watched[0].revents & (POLLERR | POLLNVAL)) != 0) {
            return;
        }
        if (watched[0].revents != 0 && read(STDIN_FILENO, discard.data(), discard.size()) <= 0) {
            return;
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Virtual radio module on a pseudo-terminal", "corvane-modemsim"};
    ModemOptions options;
    Outputs outputs;
    DefineOptions(app, options, outputs);
    CLI11_PARSE(app, argc, argv);

    // Blocked before the serving thread starts, so that only the signalfd sees them.
    sigset_t stopping;
    sigemptyset(&stopping);
    sigaddset(&stopping, SIGINT);
    sigaddset(&stopping, SIGTERM);
    sigprocmask(SIG_BLOCK, &stopping, nullptr);
    signal(SIGPIPE, SIG_IGN);
    const int signals = signalfd(-1, &stopping, SFD_CLOEXEC);

    corvane::sim::PtyModem modem(options);
    std::string error;
    if (signals < 0 || !modem.Start(error)) {
        std::cerr << "corvane-modemsim: " << (signals < 0 ? "signalfd failed" : error) << '\n';
        return 1;
    }
    std::cout << modem.DevicePath() << std::endl;

    WaitForEnd(signals);
    modem.Stop();

    bool saved = true;
    if (!outputs.transcript.empty()) {
        saved = corvane::sim::WriteTranscript(outputs.transcript, modem.Transcript()) && saved;
    }
    if (!outputs.stored.empty()) {
        saved = corvane::sim::WriteStoredSet(outputs.stored, options.family, modem.StoredSet()) &&
                saved;
    }
    if (!saved) {
        std::cerr << "corvane-modemsim: could not write the output files\n";
        return 1;
    }
    return 0;
}
