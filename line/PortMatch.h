#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/SerialPortList.h"

namespace corvane::line {

// Which ports of a line take part, as --match gives it: a USB vendor:product ("0403:6001"), a
// USB serial-number prefix ("serial:FT5"), or a glob over the device's name and its stable name
// ("/dev/serial/by-path/*usb-0:1.*", "COM1?").
struct PortRule {
    enum class Kind { UsbId, SerialPrefix, Glob };
    Kind kind = Kind::Glob;
    std::string text;
};

// The rule that the text gives; nothing, with what is wrong in problem, for one that picks
// nothing by its form (an empty text, "serial:" without a prefix, a "[" left open).
std::optional<PortRule> ParsePortRule(const std::string& text, std::string& problem);

bool Picks(const PortRule& rule, const platform::SerialPortInfo& port);
// No rule picks every port; several pick what any of them picks.
bool PicksAny(const std::vector<PortRule>& rules, const platform::SerialPortInfo& port);

// The port of the system's list that the name stands for (itself, or a link to it), with the
// name as its device; nothing when the list does not have it.
std::optional<platform::SerialPortInfo> Listed(const std::string& name,
                                               const std::vector<platform::SerialPortInfo>& listed);

// Shell-style matching of the whole text: '*' any run of characters ('/' among them), '?' one
// character, "[abc]", "[a-z]", "[!a]" one of a set; a '\' takes the next character as it is.
bool GlobMatches(std::string_view pattern, std::string_view text);

}  // namespace corvane::line
