#pragma once

#include <cstddef>
#include <ostream>
#include <string>

#include "upload/ProgressCallback.h"

namespace corvane::cli {

// "[#########...............]  37%": the filled share of the bar; a position beyond the range
// (the text procedure reports n + 1 of n for an odd n) shows as full.
std::string RenderProgress(ProgressScale scale, size_t width);

// A one-line bar on a terminal, redrawn in place on every report.
class ProgressBar {
  public:
    static constexpr size_t Width = 40;

    explicit ProgressBar(std::ostream& terminal) : terminal(terminal) {}
    ~ProgressBar() { Finish(); }
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    // Has the ProgressCallback's signature and result.
    int Report(uint32_t position, uint32_t range);
    // Ends the bar's line, so that what follows starts on a line of its own.
    void Finish();

  private:
    std::ostream& terminal;
    bool drawn = false;
};

}  // namespace corvane::cli
