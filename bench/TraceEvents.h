#pragma once

#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::bench {

// What corvane-update --trace noted about its port, as far as it shapes an update's duration.
enum class TraceKind {
    Rate,     // the rate in force from now on
    DtrLow,   // a power-on-and-reset begins
    Write,    // bytes written
    Read,     // a burst of bytes read, up to the silence that ended it
    Partial,  // a write that did not go out whole
};

struct TraceEvent {
    TraceKind kind;
    uint32_t rate = 0;    // Rate
    std::string bytes{};  // Write, Read
};

// Undoes the escaping of trace lines (\r \n \t \\ \xNN); nothing for a malformed escape.
std::optional<std::string> UnescapeBytes(std::string_view text);

// One line of the trace. Lines that tell nothing about timing (open, close, RTS, DTR high,
// refused rates, failed reads) and lines that are not trace lines at all give nothing; so does
// a malformed line, with the reason in error.
std::optional<TraceEvent> ParseTraceLine(std::string_view line, std::string& error);

// Every event of a whole trace; false on the first malformed line.
bool ReadTrace(std::istream& in, std::vector<TraceEvent>& events, std::string& error);

}  // namespace corvane::bench
