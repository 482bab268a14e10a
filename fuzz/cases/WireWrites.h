#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "tests/support/EventLog.h"

namespace corvane::fuzz {

// One write to the port, told apart by how it went out rather than by its bytes, which may
// come from the file or the module and look like anything.
struct WireWrite {
    std::string bytes;
    bool command;  // every command follows a purge; block data follow the module's reply
};

// The writes logged from event number `first` on.
std::vector<WireWrite> WritesSince(const test::EventLog& log, size_t first = 0);

// Whether write i is the ESC that may follow an unanswered command, ending a text entry that a
// late module may have begun: a lone ESC right behind a command.
bool EndsTextEntry(const std::vector<WireWrite>& writes, size_t i);

}  // namespace corvane::fuzz
