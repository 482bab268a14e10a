#include "bench/TraceEvents.h"

#include <charconv>

namespace corvane::bench {

namespace {

std::optional<uint32_t> Number(std::string_view text) {
    uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<uint8_t> HexByte(std::string_view digits) {
    uint8_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + 2, value, 16);
    if (digits.size() < 2 || error != std::errc{} || end != digits.data() + 2) {
        return std::nullopt;
    }
    return value;
}

// Takes the "[   412 ms] " off the front of a trace line; false for any other line. Only the
// order of events matters here, not their time.
bool Stamp(std::string_view& line) {
    const size_t close = line.find(" ms] ");
    if (!line.starts_with('[') || close == std::string_view::npos) {
        return false;
    }
    std::string_view digits = line.substr(1, close - 1);
    digits.remove_prefix(std::min(digits.find_first_not_of(' '), digits.size()));
    line.remove_prefix(close + 5);
    return Number(digits).has_value();
}

}  // namespace

std::optional<std::string> UnescapeBytes(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            bytes += text[i];
            continue;
        }
        if (++i == text.size()) {
            return std::nullopt;
        }
        switch (text[i]) {
            case 'r':
                bytes += '\r';
                break;
            case 'n':
                bytes += '\n';
                break;
            case 't':
                bytes += '\t';
                break;
            case '\\':
                bytes += '\\';
                break;
            case 'x': {
                const std::optional<uint8_t> byte = HexByte(text.substr(i + 1, 2));
                if (!byte) {
                    return std::nullopt;
                }
                bytes += static_cast<char>(*byte);
                i += 2;
                break;
            }
            default:
                return std::nullopt;
        }
    }
    return bytes;
}

std::optional<TraceEvent> ParseTraceLine(std::string_view line, std::string& error) {
    error.clear();
    if (!Stamp(line)) {
        return std::nullopt;
    }
    if (line.starts_with("> ") || line.starts_with("< ")) {
        const bool written = line[0] == '>';
        // A short write ends in "  (n of m written)" or "  (n of m written, failed)".
        if (written && (line.ends_with(" written)") || line.ends_with(" written, failed)"))) {
            return TraceEvent{.kind = TraceKind::Partial};
        }
        std::optional<std::string> bytes = UnescapeBytes(line.substr(2));
        if (!bytes) {
            error = "malformed bytes: " + std::string(line);
            return std::nullopt;
        }
        return TraceEvent{.kind = written ? TraceKind::Write : TraceKind::Read,
                          .bytes = std::move(*bytes)};
    }
    if (line == "DTR low") {
        return TraceEvent{.kind = TraceKind::DtrLow};
    }
    if (line.starts_with("rate ") && !line.ends_with(" refused")) {
        const std::optional<uint32_t> rate = Number(line.substr(5));
        if (!rate) {
            error = "malformed rate: " + std::string(line);
            return std::nullopt;
        }
        return TraceEvent{.kind = TraceKind::Rate, .rate = *rate};
    }
    return std::nullopt;
}

bool ReadTrace(std::istream& in, std::vector<TraceEvent>& events, std::string& error) {
    std::string line;
    while (std::getline(in, line)) {
        std::optional<TraceEvent> event = ParseTraceLine(line, error);
        if (!error.empty()) {
            return false;
        }
        if (event) {
            events.push_back(std::move(*event));
        }
    }
    return true;
}

}  // namespace corvane::bench
