#pragma once

#include <cstddef>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "line/PortRuns.h"
#include "upload/ProgressScale.h"

namespace corvane::cli {

// What the operator sees of a line's updates on stderr. On a terminal each port has a line of
// its own, redrawn in place as its update goes on: the port, its USB serial number where known,
// then the bar and the phase, and at the end the result; a port plugged in again takes its old
// line. The summary stays the last line, redrawn as it changes. Elsewhere (a log, a pipe) each
// phase, each result and each summary is a line of its own, a port's beginning with the port.
// Events come from the runs' threads; one lock keeps every line whole.
class LineProgress : public line::LineEvents {
  public:
    // columns: the terminal's width, 0 when not known; terminal false for a log.
    LineProgress(std::ostream& err, bool terminal, size_t columns);

    void Started(size_t slot, const platform::SerialPortInfo& port) override;
    void Phase(size_t slot, const PhaseReport& report) override;
    void Progress(size_t slot, uint32_t position, uint32_t range) override;
    void Finished(size_t slot, const line::PortResult& result) override;
    // The summary, below the ports' lines.
    void Summary(const std::string& text);

  private:
    struct Row {
        std::string port = {};
        std::string phase = {};
        ProgressScale scale = ScaleProgress(0, 100);
        bool withBar = false;
        std::string result = {};
    };
    // Cut to the terminal's width.
    std::string Fitted(std::string text) const;
    std::string Text(const Row& row) const;
    // Redraws the slot's row in its place on the terminal.
    void Draw(size_t slot);
    // Puts a line below the rows, above the summary.
    void AddLine(const std::string& text);
    Row& Of(size_t slot) { return rows[slotRow[slot]]; }

    std::mutex mutex;
    std::ostream& err;
    bool terminal;
    size_t columns;
    // One per port, in the order they first took part; the cursor is on the line below them
    // and the summary.
    std::vector<Row> rows;
    std::vector<size_t> slotRow;
    std::string summary;
};

}  // namespace corvane::cli
