#pragma once

#include <set>
#include <string>
#include <vector>

#include "platform/SerialPortList.h"

namespace corvane::line {

// Once per plug-in: of the ports present at each look, those that were not at the previous one.
// A port that stays is not new again; one that went and came back is.
class PlugTracker {
  public:
    std::vector<platform::SerialPortInfo> Arrived(
        const std::vector<platform::SerialPortInfo>& present);
    // The port could not be taken now (its previous update still runs): it counts as new at the
    // next look again.
    void Postpone(const std::string& device) { seen.erase(device); }

  private:
    std::set<std::string> seen;
};

}  // namespace corvane::line
