#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/LineSettings.h"

namespace corvane::test {

class VirtualClock;

enum class EventKind {
    // serial port
    Open,
    Close,
    SetCommState,
    GetCommState,
    SetCommTimeouts,
    Escape,
    Purge,
    Write,
    // clock
    Sleep,
    // libraries
    Load,
    Find,
    Free,
    Call,
};

// One call that a fake saw. Which fields mean something depends on the kind:
//   Open: text = device name, value = 1 when it succeeded
//   SetCommState: settings = the record handed in, value = 1 when accepted
//   GetCommState: settings = the record reported
//   SetCommTimeouts: timeouts = the record handed in, value = 1 when accepted
//   Escape: value = the escape function's code
//   Purge: value = the flags
//   Write: text = the bytes written
//   Sleep: value = milliseconds
//   Load: text = file name, value = 1 when it loaded
//   Find: text = entry-point name, value = 1 when found
//   Free: text = file name
//   Call: text = entry-point name, value = 1 when the library had already been freed
struct Event {
    EventKind kind;
    uint64_t time = 0;  // virtual milliseconds since the clock started
    std::string text{};
    uint32_t value = 0;
    platform::LineSettings settings{};
    platform::CommTimeouts timeouts{};
};

// A short readable line for sequence assertions, e.g. "SetCommState 115200", "Escape SETRTS",
// "Purge 15", "Write AT\r" (control bytes as \r, \n, ^Z or \xNN), "Sleep 100", "Load RHA.DLL",
// "Load RHA_SWUP.DLL failed", "Call RHA_Init". Failed or refused calls end in " failed".
std::string Describe(const Event& event);

// The one timeline shared by the fake port, clock and library loader. Events are stamped with
// the time of the clock given, if any.
class EventLog {
  public:
    explicit EventLog(const VirtualClock* clock = nullptr) : clock(clock) {}

    void Add(Event event);
    void Clear() { events.clear(); }

    const std::vector<Event>& Events() const { return events; }
    std::vector<Event> OfKind(EventKind kind) const;
    // Every event described, or only those of the given kinds.
    std::vector<std::string> Lines() const;
    std::vector<std::string> Lines(std::initializer_list<EventKind> kinds) const;
    // Every event but sleeps: the calls a link makes, without its pauses.
    std::vector<std::string> LinesWithoutSleeps() const;

  private:
    const VirtualClock* clock;
    std::vector<Event> events;
};

}  // namespace corvane::test
