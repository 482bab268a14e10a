#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "line/PortMatch.h"
#include "platform/PortArrivals.h"
#include "platform/SerialPortList.h"

namespace corvane::line {

// Which ports of a line take part: those named, else every port; in both cases only those the
// rules pick (no rules pick all).
struct PortChoice {
    std::vector<std::string> names;
    std::vector<PortRule> rules;
};

// Where the ports come from: the system's list, and the paths a glob names now (links to
// ports that the list leaves out). Tests put their own in.
struct PortSource {
    std::function<std::vector<platform::SerialPortInfo>()> listed = platform::ListSerialPorts;
    std::function<std::vector<std::string>(const std::string& glob)> existing =
        platform::ExistingPathsMatching;
};

// The rules of a space- or comma-separated text of --match rules; nothing, with the rule that
// does not read and why in problem, when one does not.
std::optional<std::vector<PortRule>> ParsePortRules(const std::string& text, std::string& problem);
// The names of a space- or comma-separated text of ports.
std::vector<std::string> PortNames(const std::string& text);

// The ports that take part now: those named, as the system lists them where it does, else every
// port listed and every link a glob rule names; then those the rules pick.
class PortSelection {
  public:
    explicit PortSelection(PortChoice choice, PortSource source = {})
        : choice(std::move(choice)), source(std::move(source)) {}

    // onlyPresent: leave out a named port that does not exist (a watch waits for it).
    std::vector<platform::SerialPortInfo> Now(bool onlyPresent) const;

  private:
    PortChoice choice;
    PortSource source;
};

}  // namespace corvane::line
