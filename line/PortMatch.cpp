#include "line/PortMatch.h"

#include <algorithm>
#include <cctype>

namespace corvane::line {

namespace {

constexpr std::string_view SerialPrefix = "serial:";

bool IsUsbId(const std::string& text) {
    return text.size() == 9 && text[4] == ':' &&
           std::all_of(text.begin(), text.end(),
                       [](unsigned char c) { return c == ':' || std::isxdigit(c) != 0; });
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// Matches one bracket set at the start of pattern (just past its '['); sets `length` to the
// set's length including the closing ']', or 0 when the set is not closed.
bool InSet(std::string_view set, char c, size_t& length) {
    size_t i = 0;
    const bool negated = i < set.size() && (set[i] == '!' || set[i] == '^');
    i += negated ? 1 : 0;
    bool found = false;
    // A ']' right at the start belongs to the set.
    for (bool first = true; i < set.size() && (first || set[i] != ']'); first = false) {
        if (i + 2 < set.size() && set[i + 1] == '-' && set[i + 2] != ']') {
            found = found || (set[i] <= c && c <= set[i + 2]);
            i += 3;
        } else {
            found = found || set[i] == c;
            ++i;
        }
    }
    length = i < set.size() ? i + 2 : 0;  // the '[' and the ']'
    return found != negated;
}

}  // namespace

bool GlobMatches(std::string_view pattern, std::string_view text) {
    // Iterative, with the one backtracking point the last '*' gives: no blow-up on many stars.
    size_t p = 0;
    size_t t = 0;
    size_t starP = std::string_view::npos;
    size_t starT = 0;
    while (t < text.size()) {
        bool advanced = false;
        if (p < pattern.size()) {
            const char c = pattern[p];
            if (c == '*') {
                starP = p++;
                starT = t;
                continue;
            }
            size_t length = 1;
            if (c == '?') {
                advanced = true;
            } else if (c == '[') {
                advanced = InSet(pattern.substr(p + 1), text[t], length) && length != 0;
            } else if (c == '\\' && p + 1 < pattern.size()) {
                advanced = pattern[p + 1] == text[t];
                length = 2;
            } else {
                advanced = c == text[t];
            }
            if (advanced) {
                p += length;
                ++t;
                continue;
            }
        }
        if (starP == std::string_view::npos) {
            return false;
        }
        p = starP + 1;
        t = ++starT;
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

std::optional<PortRule> ParsePortRule(const std::string& text, std::string& problem) {
    if (text.empty()) {
        problem = "an empty rule picks no port";
        return std::nullopt;
    }
    if (IsUsbId(text)) {
        return PortRule{PortRule::Kind::UsbId, text};
    }
    if (text.starts_with(SerialPrefix)) {
        if (text.size() == SerialPrefix.size()) {
            problem = "serial: needs the beginning of a serial number";
            return std::nullopt;
        }
        return PortRule{PortRule::Kind::SerialPrefix, text.substr(SerialPrefix.size())};
    }
    for (size_t open = text.find('['); open != std::string::npos; open = text.find('[', open + 1)) {
        size_t length = 0;
        InSet(std::string_view(text).substr(open + 1), '\0', length);
        if (length == 0) {
            problem = "a '[' without its ']'";
            return std::nullopt;
        }
    }
    return PortRule{PortRule::Kind::Glob, text};
}

bool Picks(const PortRule& rule, const platform::SerialPortInfo& port) {
    switch (rule.kind) {
        case PortRule::Kind::UsbId:
            return SameIgnoringCase(rule.text, port.usbId);
        case PortRule::Kind::SerialPrefix:
            return !port.serialNumber.empty() && port.serialNumber.starts_with(rule.text);
        case PortRule::Kind::Glob:
            return GlobMatches(rule.text, port.device) ||
                   (!port.stableName.empty() && GlobMatches(rule.text, port.stableName));
    }
    return false;
}

std::optional<platform::SerialPortInfo> Listed(
    const std::string& name, const std::vector<platform::SerialPortInfo>& listed) {
    for (const platform::SerialPortInfo& port : listed) {
        if (platform::NamesPort(name, port)) {
            platform::SerialPortInfo named = port;
            named.device = name;
            return named;
        }
    }
    return std::nullopt;
}

bool PicksAny(const std::vector<PortRule>& rules, const platform::SerialPortInfo& port) {
    return rules.empty() || std::any_of(rules.begin(), rules.end(), [&port](const PortRule& rule) {
               return Picks(rule, port);
           });
}

}  // namespace corvane::line
