#include "cli/ProgressBar.h"

#include <algorithm>

#include "line/RunText.h"

namespace corvane::cli {

std::string RenderProgress(ProgressScale scale, size_t width) {
    const uint32_t shown = std::min<uint32_t>(scale.position, scale.range);
    const size_t filled = width * shown / scale.range;
    const uint32_t percent = shown * 100 / scale.range;
    std::string line = "[" + std::string(filled, '#') + std::string(width - filled, '.') + "] ";
    const std::string number = std::to_string(percent);
    line += std::string(3 - number.size(), ' ') + number + "%";
    return line;
}

std::string PhaseLogLine(const PhaseReport& report) {
    switch (report.phase) {
        case UploadPhase::FindingRate:
            return "finding the rate, " + std::to_string(report.rate) + " baud first";
        case UploadPhase::Writing:
            if (report.blocks > 0) {
                return "writing " + std::to_string(report.blocks) +
                       (report.blocks == 1 ? " block" : " blocks");
            }
            return "writing the records";
        case UploadPhase::RateFound:
        case UploadPhase::SwitchingOff:
            break;
    }
    return line::PhaseText(report);
}

void ProgressBar::Report(uint32_t position, uint32_t range) {
    scale = ScaleProgress(position, range);
    if (withBar) {
        Draw();
    }
}

void ProgressBar::Phase(const PhaseReport& report) {
    phase = line::PhaseText(report);
    withBar = withBar || report.phase == UploadPhase::Writing;
    Draw();
    if (report.phase == UploadPhase::RateFound) {
        Finish();
    }
}

std::string ProgressBar::Line() const {
    const std::string separator = phase.empty() ? "" : "  ";
    // The last column stays free: a character there makes some terminals wrap at once.
    const size_t room = (columns == 0 ? AssumedColumns : columns) - 1;
    if (withBar) {
        const size_t around = RenderProgress(scale, 0).size() + separator.size() + phase.size();
        if (around + MinimumWidth <= room) {
            return RenderProgress(scale, std::min(Width, room - around)) + separator + phase;
        }
    }
    // Too narrow for a bar: one phase line, with the share in front of it once there is one.
    std::string line = withBar ? RenderProgress(scale, 0).substr(3) + separator + phase : phase;
    return line.substr(0, room);
}

void ProgressBar::Draw() {
    std::string line = Line();
    const size_t length = line.size();
    if (length < drawn) {
        line += std::string(drawn - length, ' ');
    }
    terminal << '\r' << line << std::flush;
    drawn = length;
}

void ProgressBar::Finish() {
    if (drawn > 0) {
        terminal << '\n' << std::flush;
        drawn = 0;
    }
}

}  // namespace corvane::cli
