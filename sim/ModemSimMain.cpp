// corvane-modemsim: virtual radio modules on pseudo-terminals, one by default. Prints the device
// path of each, one per line on stdout, serves them until SIGINT/SIGTERM arrives or, when stdin
// is a pipe or a terminal, until stdin closes; then writes the transcripts and the stored
// parameter sets where asked.

#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <array>
#include <cstdio>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "sim/ModemRecords.h"
#include "sim/PtyModem.h"

namespace {

using corvane::sim::Answer;
using corvane::sim::Family;
using corvane::sim::ModemOptions;

struct Outputs {
    std::string transcript;
    std::string stored;
};

// How many modules, which of them misbehave, and under which names they appear.
struct Line {
    uint32_t count = 1;
    uint32_t faulty = 0;  // 0: the fault options concern every module
    std::string link;
};

void DefineOptions(CLI::App& app, ModemOptions& options, Outputs& outputs, Line& line) {
    app.add_option("--count", line.count, "serve this many modules, each on its own device")
        ->check(CLI::Range(1u, 256u))
        ->capture_default_str();
    app.add_option("--faulty", line.faulty,
                   "only module K (from 1) gets the fault options; the others behave")
        ->type_name("K")
        ->check(CLI::PositiveNumber);
    app.add_option("--link", line.link,
                   "also publish the device as this symbolic link, removed at the end; with "
                   "--count, module K's link is PATH-K")
        ->type_name("PATH");
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
    app.add_option_function<uint32_t>(
        "--silent-after-commands",
        [&options](uint32_t count) { options.faults.silentAfterCommands = count; },
        "fault: hear and send nothing once this many command lines have been answered");
    app.add_option("--answer-to", options.faults.answerTo,
                   "the command lines (by their beginning) whose answers --answer, --answer-delay "
                   "and --long-reply change; every answer, confirmations included, when not given");
    app.add_flag("--first-answer-only", options.faults.firstAnswerOnly,
                 "the answer faults concern only the first answer they would");
    const std::map<std::string, Answer> answers = {
        {"none", Answer::None}, {"garbage", Answer::Garbage}, {"endless", Answer::Endless}};
    app.add_option("--answer", options.faults.answer,
                   "fault: none, garbage (random bytes without markers) or endless (bytes "
                   "without end or pause) in place of the answer, which is not acted on")
        ->transform(CLI::CheckedTransformer(answers));
    app.add_option("--answer-delay", options.faults.answerDelayMs,
                   "fault: ms on top of the latency before the answer");
    app.add_option("--long-reply", options.faults.longReply,
                   "fault: this many filler bytes ahead of the answer");
    app.add_flag("--block-error", options.faults.blockError, "fault: ERROR to block commands");
    app.add_flag("--wrong-marker", options.faults.wrongMarker,
                 "fault: answer block commands with the other family's marker");
    app.add_flag("--no-confirm", options.faults.neverConfirm, "fault: never confirm a block");
    app.add_option("--hang-up-after-commands", options.faults.hangUpAfterCommands,
                   "fault: hang the line up after answering this many command lines");
    app.add_option("--hang-up-in-block", options.faults.hangUpInBlock,
                   "fault: hang the line up once this many bytes of a block have arrived");
    app.add_option("--hang-up-after", options.faults.hangUpAfterBlocks,
                   "fault: hang the line up after confirming this many blocks");
    app.add_option("--transcript", outputs.transcript, "write every byte received here on exit");
    app.add_option("--stored", outputs.stored, "write the stored parameter set here on exit");
}

constexpr int UsageErrorStatus = 64;

// Of several, module k's file name: NAME-k.
std::string Numbered(const std::string& name, uint32_t count, uint32_t k) {
    return count == 1 ? name : name + "-" + std::to_string(k);
}

// A parent that holds our stdin as a pipe or a terminal ends us by closing it. Anything else
// (/dev/null from a service manager or `&`) reads as ended at once, so only signals count then.
bool StdinEndsTheRun() {
    struct stat status = {};
    return fstat(STDIN_FILENO, &status) == 0 &&
           (S_ISFIFO(status.st_mode) || S_ISSOCK(status.st_mode) || isatty(STDIN_FILENO) == 1);
}

// Blocks until one of the blocked signals arrives or, when it ends the run, stdin reaches its end.
void WaitForEnd(int signals) {
    // poll() skips an entry with a negative descriptor.
    const int input = StdinEndsTheRun() ? STDIN_FILENO : -1;
    std::array<pollfd, 2> watched{{{.fd = input, .events = POLLIN, .revents = 0},
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
    app.set_version_flag("-V,--version", "corvane-modemsim " CORVANE_VERSION);
    ModemOptions options;
    Outputs outputs;
    Line line;
    DefineOptions(app, options, outputs, line);
    try {
        app.parse(argc, argv);
        if (line.faulty > line.count) {
            throw CLI::ValidationError("--faulty", "K must be at most --count");
        }
    } catch (const CLI::ParseError& error) {
        const int status = app.exit(error);
        return status == 0 ? 0 : UsageErrorStatus;
    }

    // Blocked before the serving threads start, so that only the signalfd sees them.
    sigset_t stopping;
    sigemptyset(&stopping);
    sigaddset(&stopping, SIGINT);
    sigaddset(&stopping, SIGTERM);
    sigprocmask(SIG_BLOCK, &stopping, nullptr);
    signal(SIGPIPE, SIG_IGN);
    const int signals = signalfd(-1, &stopping, SFD_CLOEXEC);
    if (signals < 0) {
        std::cerr << "corvane-modemsim: signalfd failed\n";
        return 1;
    }

    std::vector<std::unique_ptr<corvane::sim::PtyModem>> modems;
    for (uint32_t k = 1; k <= line.count; ++k) {
        ModemOptions own = options;
        if (line.faulty != 0 && k != line.faulty) {
            own.faults = {};
        }
        auto& modem = modems.emplace_back(std::make_unique<corvane::sim::PtyModem>(own));
        std::string error;
        if (!modem->Start(error) ||
            (!line.link.empty() && !modem->Publish(Numbered(line.link, line.count, k), error))) {
            std::cerr << "corvane-modemsim: " << error << '\n';
            return 1;  // the modems started so far stop and remove their links as they go
        }
    }
    for (const auto& modem : modems) {
        std::cout << modem->DevicePath() << '\n';
    }
    std::cout << std::flush;

    WaitForEnd(signals);
    bool saved = true;
    for (uint32_t k = 1; k <= line.count; ++k) {
        corvane::sim::PtyModem& modem = *modems[k - 1];
        modem.Stop();
        if (!outputs.transcript.empty()) {
            saved = corvane::sim::WriteTranscript(Numbered(outputs.transcript, line.count, k),
                                                  modem.Transcript()) &&
                    saved;
        }
        if (!outputs.stored.empty()) {
            saved = corvane::sim::WriteStoredSet(Numbered(outputs.stored, line.count, k),
                                                 options.family, modem.StoredSet()) &&
                    saved;
        }
    }
    if (!saved) {
        std::cerr << "corvane-modemsim: could not write the output files\n";
        return 1;
    }
    return 0;
}
