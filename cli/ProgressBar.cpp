#include "cli/ProgressBar.h"

#include <algorithm>

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

int ProgressBar::Report(uint32_t position, uint32_t range) {
    terminal << '\r' << RenderProgress(ScaleProgress(position, range), Width) << std::flush;
    drawn = true;
    return 1;
}

void ProgressBar::Finish() {
    if (drawn) {
        terminal << '\n' << std::flush;
        drawn = false;
    }
}

}  // namespace corvane::cli
