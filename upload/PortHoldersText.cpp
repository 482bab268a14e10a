#include "upload/PortHoldersText.h"

namespace corvane {

namespace {

const char* AdviceFor(const std::string& program) {
    // It takes the ports of cellular modules and sends them AT commands of its own.
    if (program == "ModemManager") {
        return "stop it with `systemctl stop ModemManager`, or keep it away from the module with "
               "the udev rule in /usr/share/doc/corvane/examples/";
    }
    if (program == "corvane-update" || program == "Corvane") {
        return "wait for its update to end";
    }
    return "close it";
}

}  // namespace

void AddOtherHolders(std::string& detail, const std::string& port,
                     const std::vector<platform::PortHolder>& holders) {
    if (holders.empty()) {
        return;
    }
    const std::string named = port + ": ";
    if (detail.empty()) {
        detail = named;
    } else {
        detail += detail.starts_with(named) ? "; " : "; " + named;
    }
    for (size_t i = 0; i < holders.size(); ++i) {
        detail += (i == 0 ? "" : "; ") + std::string("also open in ") + holders[i].program +
                  " (pid " + std::to_string(holders[i].pid) + "): " + AdviceFor(holders[i].program);
    }
}

}  // namespace corvane
