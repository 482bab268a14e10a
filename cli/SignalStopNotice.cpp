#include <atomic>

#include "cli/SignalStop.h"

namespace corvane::cli {

namespace {

constexpr std::string_view BeforeTheUpdate =
    "\ncorvane-update: stopping before the update begins: nothing is written and the port is "
    "closed; interrupt again to stop at once\n";
constexpr std::string_view DuringTheSearch =
    "\ncorvane-update: stopping the rate search: nothing is written and the port is closed; "
    "interrupt again to stop at once\n";
constexpr std::string_view DuringTheBlocks =
    "\ncorvane-update: stopping after the block in progress, so that the module is switched off "
    "and the port closed; interrupt again to stop at once\n";
constexpr std::string_view WhileEnding =
    "\ncorvane-update: the update is ending: the module is being switched off and the port "
    "closed; interrupt again to stop at once\n";

constexpr std::string_view Silent = "";
constexpr std::string_view ForEveryPort =
    "\ncorvane-update: stopping every update at its next probe, command or block, so that each "
    "module is switched off and its port closed; interrupt again to stop at once\n";

// The phase the run is in, as an UploadPhase, for the signal handler; -1 before the first.
constexpr int NoPhase = -1;
constexpr int ManyRuns = -2;
constexpr int ManyRunsShown = -3;
std::atomic<int> current = NoPhase;
static_assert(std::atomic<int>::is_always_lock_free, "read in a signal handler");

}  // namespace

void SignalStop::NotePhase(UploadPhase phase) {
    current.store(static_cast<int>(phase));
}

void SignalStop::NoteLine(bool notice) {
    current.store(notice ? ManyRuns : ManyRunsShown);
}

std::string_view SignalStop::LineNotice() {
    return ForEveryPort.substr(1, ForEveryPort.size() - 2);
}

std::string_view SignalStop::Notice() noexcept {
    const int phase = current.load();
    if (phase == NoPhase) {
        return BeforeTheUpdate;
    }
    if (phase == ManyRuns) {
        return ForEveryPort;
    }
    if (phase == ManyRunsShown) {
        return Silent;
    }
    switch (static_cast<UploadPhase>(phase)) {
        case UploadPhase::FindingRate:
            return DuringTheSearch;
        case UploadPhase::RateFound:
            return BeforeTheUpdate;
        case UploadPhase::Writing:
            return DuringTheBlocks;
        case UploadPhase::SwitchingOff:
            return WhileEnding;
    }
    return BeforeTheUpdate;
}

void SignalStop::ForgetPhase() {
    current.store(NoPhase);
}

}  // namespace corvane::cli
