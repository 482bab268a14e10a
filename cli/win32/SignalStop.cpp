#include "cli/SignalStop.h"

#include <windows.h>

#include <atomic>
#include <csignal>

namespace corvane::cli {

namespace {

// The console events in the words of the rest of the program: Ctrl+C as SIGINT, Ctrl+Break and
// the console window closing as SIGTERM, so that a stopped run exits with 130 or 143 as it does
// elsewhere.
int SignalFor(DWORD event) {
    return event == CTRL_C_EVENT ? SIGINT : SIGTERM;
}

std::atomic<int> received = 0;
// Set before the handler is installed, cleared after it is gone. Removing the handler does not
// wait for one already running on its thread: the lock does, before the target is cleared.
StopRequest* target = nullptr;
SRWLOCK targetLock = SRWLOCK_INIT;

// Signalled once the update is over. Created once: one SignalStop at a time.
HANDLE UpdateOver() {
    static const HANDLE over = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    return over;
}

// Windows runs this on a thread of its own for each event.
BOOL WINAPI OnConsoleEvent(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) {
        return FALSE;
    }
    int none = 0;
    DWORD written = 0;
    if (!received.compare_exchange_strong(none, SignalFor(event))) {
        WriteFile(GetStdHandle(STD_ERROR_HANDLE), AbandonNotice, sizeof AbandonNotice - 1, &written,
                  nullptr);
        ExitProcess(128 + SignalFor(event));
    }
    AcquireSRWLockShared(&targetLock);
    if (target != nullptr) {
        target->Request();
    }
    ReleaseSRWLockShared(&targetLock);
    const std::string_view notice = SignalStop::Notice();
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), notice.data(), static_cast<DWORD>(notice.size()),
              &written, nullptr);
    if (event == CTRL_CLOSE_EVENT) {
        // Windows ends the process as soon as this returns (and a few seconds later in any
        // case): hold it until the module is switched off and the port closed.
        WaitForSingleObject(UpdateOver(), INFINITE);
    }
    return TRUE;
}

}  // namespace

SignalStop::SignalStop(StopRequest& stop) {
    received = 0;
    ForgetPhase();
    target = &stop;
    ResetEvent(UpdateOver());
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

SignalStop::~SignalStop() {
    SetEvent(UpdateOver());
    SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
    AcquireSRWLockExclusive(&targetLock);
    target = nullptr;
    ReleaseSRWLockExclusive(&targetLock);
}

int SignalStop::Received() {
    return received;
}

}  // namespace corvane::cli
