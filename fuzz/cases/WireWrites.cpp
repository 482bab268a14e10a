#include "fuzz/cases/WireWrites.h"

namespace corvane::fuzz {

std::vector<WireWrite> WritesSince(const test::EventLog& log, size_t first) {
    std::vector<WireWrite> writes;
    const std::vector<test::Event>& events = log.Events();
    bool purged = false;
    for (size_t i = first; i < events.size(); ++i) {
        if (events[i].kind == test::EventKind::Write) {
            writes.push_back({events[i].text, purged});
        }
        // The pause between a purge and the write does not count.
        if (events[i].kind != test::EventKind::Sleep) {
            purged = events[i].kind == test::EventKind::Purge;
        }
    }
    return writes;
}

bool EndsTextEntry(const std::vector<WireWrite>& writes, size_t i) {
    return i > 0 && i < writes.size() && !writes[i].command && writes[i].bytes == "\x1B" &&
           writes[i - 1].command;
}

}  // namespace corvane::fuzz
