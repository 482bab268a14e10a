#pragma once

#include <cstddef>
#include <ostream>
#include <string>

#include "upload/ProgressScale.h"
#include "upload/UploadPhase.h"

namespace corvane::cli {

// "[#########...............]  37%": the filled share of the bar; a position beyond the range
// (the text procedure reports n + 1 of n for an odd n) shows as full.
std::string RenderProgress(ProgressScale scale, size_t width);

// What the run is doing (line::PhaseText) for a log, one line per phase: the writing phase as a
// whole ("writing 20 blocks", "writing the records") rather than block by block.
std::string PhaseLogLine(const PhaseReport& report);

// A one-line display on a terminal, redrawn in place: the phase, and once the blocks go out the
// bar in front of it. The rate found stays on a line of its own. The line never wraps: on a
// narrow terminal the bar shortens, and where even a short one does not fit, the share and the
// phase stand alone, cut to the width.
class ProgressBar {
  public:
    static constexpr size_t Width = 40;
    static constexpr size_t MinimumWidth = 10;
    // Where the terminal does not tell its width.
    static constexpr size_t AssumedColumns = 80;

    // columns: the terminal's width, 0 when it is not known.
    ProgressBar(std::ostream& terminal, size_t columns) : terminal(terminal), columns(columns) {}
    ~ProgressBar() { Finish(); }
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    // What an observer of the run hears, drawn.
    void Report(uint32_t position, uint32_t range);
    void Phase(const PhaseReport& report);
    // Ends the line, so that what follows starts on a line of its own.
    void Finish();

  private:
    std::string Line() const;
    void Draw();

    std::ostream& terminal;
    size_t columns;
    ProgressScale scale = ScaleProgress(0, 100);
    std::string phase;
    // The bar shows from the first block on; before, its 0 % would only say nothing happens.
    bool withBar = false;
    // Characters on the line now, to be blanked by a shorter redraw.
    size_t drawn = 0;
};

}  // namespace corvane::cli
