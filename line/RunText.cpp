#include "line/RunText.h"

#include <algorithm>
#include <cstdio>

#include "upload/ResultText.h"

namespace corvane::line {

namespace {

// A detail of several lines on one.
std::string OneLine(std::string text) {
    std::replace(text.begin(), text.end(), '\n', ' ');
    std::replace(text.begin(), text.end(), '\r', ' ');
    return text;
}

std::string Seconds(std::chrono::milliseconds duration) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", static_cast<double>(duration.count()) / 1000.0);
    return text;
}

}  // namespace

std::string PhaseText(const PhaseReport& report) {
    switch (report.phase) {
        case UploadPhase::FindingRate:
            return "finding the rate...";
        case UploadPhase::RateFound:
            return "module answers at " + std::to_string(report.rate) + " baud";
        case UploadPhase::Writing:
            if (report.blocks > 0) {
                return "writing block " + std::to_string(report.block) + " of " +
                       std::to_string(report.blocks);
            }
            // The bar beside it tells how much of the file has gone.
            return "writing record " + std::to_string(report.block);
        case UploadPhase::SwitchingOff:
            return "switching the module off";
    }
    return "";
}

std::string PortResultHeadline(const PortResult& result) {
    const UploadOutcome& outcome = result.outcome;
    if (outcome.stopped) {
        const std::string stopped = StoppedText(outcome);
        return "stopped: " + OneLine(stopped.substr(stopped.find('\n') + 1));
    }
    if (outcome.Succeeded()) {
        return "written in " + Seconds(result.duration);
    }
    return "failed: " + std::to_string(outcome.code) + " " + ResultMessageText(outcome.code);
}

std::string PortResultText(const PortResult& result) {
    const std::string& detail = result.outcome.detail;
    if (result.outcome.stopped || detail.empty()) {
        return PortResultHeadline(result);
    }
    return PortResultHeadline(result) + " (" + OneLine(detail) + ")";
}

}  // namespace corvane::line
