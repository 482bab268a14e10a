#include "upload/PortHoldersText.h"

#include "platform/EscapedBytes.h"

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
    std::string added;
    for (const platform::PortHolder& holder : holders) {
        const std::string pid = "(pid " + std::to_string(holder.pid) + ")";
        // The lock's own refusal names the other update already.
        if (detail.find(pid) != std::string::npos) {
            continue;
        }
        added += (added.empty() ? "" : "; ") + std::string("also open in ") +
                 EscapedText(holder.program) + " " + pid + ": " + AdviceFor(holder.program);
    }
    if (added.empty()) {
        return;
    }
    const std::string named = EscapedText(port) + ": ";
    if (detail.empty()) {
        detail = named;
    } else {
        detail += detail.starts_with(named) ? "; " : "; " + named;
    }
    detail += added;
}

}  // namespace corvane
