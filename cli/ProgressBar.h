#pragma once

#include <cstddef>
#include <ostream>
#include <string>

#include "upload/ProgressCallback.h"
#include "upload/UploadPhase.h"

namespace corvane::cli {

// "[#########...............]  37%": the filled share of the bar; a position beyond the range
// (the text procedure reports n + 1 of n for an odd n) shows as full.
std::string RenderProgress(ProgressScale scale, size_t width);

// What the run is doing, as a terminal shows it while it lasts: "finding the rate...",
// "module answers at 115200 baud", "writing block 7 of 20", "writing record 7 (35 %)",
// "switching the module off".
std::string PhaseText(const PhaseReport& report);

// The same for a log, one line per phase: the writing phase as a whole ("writing 20 blocks",
// "writing the records") rather than block by block.
std::string PhaseLogLine(const PhaseReport& report);

// A one-line display on a terminal, redrawn in place: the phase, and once the blocks go out the
// bar in front of it. The rate found stays on a line of its own.
class ProgressBar {
  public:
    static constexpr size_t Width = 40;

    explicit ProgressBar(std::ostream& terminal) : terminal(terminal) {}
    ~ProgressBar() { Finish(); }
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    // Has the ProgressCallback's signature and result.
    int Report(uint32_t position, uint32_t range);
    // Has the PhaseCallback's signature.
    void Phase(const PhaseReport& report);
    // Ends the line, so that what follows starts on a line of its own.
    void Finish();

  private:
    void Draw();

    std::ostream& terminal;
    ProgressScale scale = ScaleProgress(0, 100);
    std::string phase;
    // The bar shows from the first block on; before, its 0 % would only say nothing happens.
    bool withBar = false;
    // Characters on the line now, to be blanked by a shorter redraw.
    size_t drawn = 0;
};

}  // namespace corvane::cli
