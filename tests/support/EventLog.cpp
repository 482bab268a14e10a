#include "tests/support/EventLog.h"

#include <algorithm>
#include <cstdio>

#include "tests/support/VirtualClock.h"

namespace corvane::test {

namespace {

std::string Printable(const std::string& bytes) {
    std::string text;
    for (unsigned char c : bytes) {
        if (c == '\r') {
            text += "\\r";
        } else if (c == '\n') {
            text += "\\n";
        } else if (c == 26) {
            text += "^Z";
        } else if (c < 0x20 || c >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            text += hex;
        } else {
            text += static_cast<char>(c);
        }
    }
    return text;
}

const char* Level(uint32_t high) {
    return high != 0 ? " high" : " low";
}

std::string Outcome(bool ok) {
    return ok ? "" : " failed";
}

template <typename Predicate>
std::vector<std::string> LinesWhere(const std::vector<Event>& events, Predicate wanted) {
    std::vector<std::string> lines;
    for (const Event& e : events) {
        if (wanted(e)) {
            lines.push_back(Describe(e));
        }
    }
    return lines;
}

}  // namespace

std::string Describe(const Event& event) {
    switch (event.kind) {
        case EventKind::Open:
            return "Open " + event.text + " " + std::to_string(event.value) + Outcome(event.ok);
        case EventKind::Close:
            return "Close";
        case EventKind::SetRate:
            return "SetRate " + std::to_string(event.value) + Outcome(event.ok);
        case EventKind::SetDtr:
            return std::string("Dtr") + Level(event.value);
        case EventKind::SetRts:
            return std::string("Rts") + Level(event.value);
        case EventKind::Purge:
            return "Purge";
        case EventKind::Write:
            return "Write " + Printable(event.text);
        case EventKind::Sleep:
            return "Sleep " + std::to_string(event.value);
        case EventKind::Load:
            return "Load " + event.text + Outcome(event.ok);
        case EventKind::Find:
            return "Find " + event.text + Outcome(event.ok);
        case EventKind::Free:
            return "Free " + event.text;
        case EventKind::Call:
            return "Call " + event.text + (event.value != 0 ? " after free" : "");
    }
    return "?";
}

void EventLog::Add(Event event) {
    event.time = clock != nullptr ? clock->Elapsed() : 0;
    events.push_back(std::move(event));
}

std::vector<Event> EventLog::OfKind(EventKind kind) const {
    std::vector<Event> matching;
    std::copy_if(events.begin(), events.end(), std::back_inserter(matching),
                 [kind](const Event& e) { return e.kind == kind; });
    return matching;
}

std::vector<std::string> EventLog::Lines() const {
    return LinesWhere(events, [](const Event&) { return true; });
}

std::vector<std::string> EventLog::Lines(std::initializer_list<EventKind> kinds) const {
    return LinesWhere(events, [kinds](const Event& e) {
        return std::find(kinds.begin(), kinds.end(), e.kind) != kinds.end();
    });
}

std::vector<std::string> EventLog::LinesWithoutSleeps() const {
    return LinesWhere(events, [](const Event& e) { return e.kind != EventKind::Sleep; });
}

}  // namespace corvane::test
