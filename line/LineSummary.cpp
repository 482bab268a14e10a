#include "line/LineSummary.h"

#include <cstdio>

#include "platform/EscapedBytes.h"
#include "upload/ResultText.h"

namespace corvane::line {

namespace {

std::string Seconds(std::chrono::milliseconds duration) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", static_cast<double>(duration.count()) / 1000.0);
    return text;
}

}  // namespace

void LineSummary::Add(const PortResult& result) {
    if (result.outcome.stopped) {
        ++stopped;
    } else if (result.outcome.Succeeded()) {
        ++written;
    } else {
        ++failed;
        ++failedBy[result.outcome.code];
    }
    if (result.duration > slowest) {
        slowest = result.duration;
        slowestPort = result.port.device;
    }
}

std::string LineSummary::Text() const {
    const size_t updates = written + failed + stopped;
    if (updates == 0) {
        return "no updates";
    }
    std::string text = Counted(updates, "update") + ": " + std::to_string(written) + " written, " +
                       std::to_string(failed) + " failed";
    if (!failedBy.empty()) {
        std::string reasons;
        for (const auto& [code, count] : failedBy) {
            reasons += (reasons.empty() ? "" : ", ") + std::to_string(code) + " " +
                       ResultMessageText(code) + ": " + std::to_string(count);
        }
        text += " (" + reasons + ")";
    }
    if (stopped > 0) {
        text += ", " + std::to_string(stopped) + " stopped";
    }
    return text + "; slowest " + EscapedText(slowestPort) + ", " + Seconds(slowest);
}

int LineExitStatus(const std::vector<PortResult>& inPortOrder, int signal) {
    for (const PortResult& result : inPortOrder) {
        if (result.outcome.stopped) {
            return 128 + signal;
        }
        if (!result.outcome.Succeeded()) {
            return result.outcome.code;
        }
    }
    return 0;
}

}  // namespace corvane::line
