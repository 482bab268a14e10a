#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace corvane::test {

class VirtualClock;

enum class EventKind {
    // serial port
    Open,
    Close,
    SetRate,
    SetDtr,
    SetRts,
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
//   Open: text = device name, value = the rate, ok = whether it opened
//   SetRate: value = the rate, ok = whether the line then runs at it
//   SetDtr, SetRts: value = 1 for high
//   Write: text = the bytes written
//   Sleep: value = milliseconds
//   Load: text = file name, ok = whether it loaded
//   Find: text = entry-point name, ok = whether it was found
//   Free: text = file name
//   Call: text = entry-point name, value = 1 when the library had already been freed
struct Event {
    EventKind kind;
    uint64_t time = 0;  // virtual milliseconds since the clock started
    std::string text{};
    uint32_t value = 0;
    bool ok = true;
};

// A short readable line for sequence assertions, e.g. "Open COM1: 115200", "SetRate 57600",
// "Rts high", "Dtr low", "Purge", "Write AT\r" (control bytes as \r, \n, ^Z or \xNN),
// "Sleep 100", "Load RHA.DLL",
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
