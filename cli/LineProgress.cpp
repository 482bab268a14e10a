#include "cli/LineProgress.h"

#include <algorithm>
#include <cstdio>

#include "cli/ProgressBar.h"
#include "line/RunText.h"
#include "platform/EscapedBytes.h"

namespace corvane::cli {

namespace {

constexpr size_t BarWidth = 20;

}  // namespace

LineProgress::LineProgress(std::ostream& err, bool terminal, size_t columns)
    : err(err), terminal(terminal), columns(columns == 0 ? ProgressBar::AssumedColumns : columns) {}

void LineProgress::Started(size_t slot, const platform::SerialPortInfo& port) {
    const std::lock_guard lock(mutex);
    const std::string name =
        EscapedText(port.device) +
        (port.serialNumber.empty() ? "" : " [" + EscapedText(port.serialNumber) + "]");
    if (slotRow.size() <= slot) {
        slotRow.resize(slot + 1);
    }
    const auto known = std::find_if(rows.begin(), rows.end(),
                                    [&name](const Row& row) { return row.port == name; });
    const bool added = known == rows.end();
    slotRow[slot] = static_cast<size_t>(known - rows.begin());
    if (added) {
        rows.emplace_back();
    }
    Of(slot) = {.port = name, .phase = "starting"};
    if (!terminal) {
        return;
    }
    if (added) {
        AddLine(Text(Of(slot)));
    } else {
        Draw(slot);
    }
}

void LineProgress::Phase(size_t slot, const PhaseReport& report) {
    const std::lock_guard lock(mutex);
    Row& row = Of(slot);
    row.phase = line::PhaseText(report);
    row.withBar = row.withBar || report.phase == UploadPhase::Writing;
    if (terminal) {
        Draw(slot);
    } else if (report.phase != UploadPhase::Writing || report.block == 1) {
        err << row.port << ": " << PhaseLogLine(report) << '\n' << std::flush;
    }
}

void LineProgress::Progress(size_t slot, uint32_t position, uint32_t range) {
    const std::lock_guard lock(mutex);
    Row& row = Of(slot);
    const ProgressScale scale = ScaleProgress(position, range);
    // Only a change the bar shows is drawn: many ports must not flood the terminal.
    const bool changed = RenderProgress(scale, BarWidth) != RenderProgress(row.scale, BarWidth);
    row.scale = scale;
    if (terminal && changed) {
        Draw(slot);
    }
}

void LineProgress::Finished(size_t slot, const line::PortResult& result) {
    const std::lock_guard lock(mutex);
    Row& row = Of(slot);
    row.result = line::PortResultText(result);
    if (terminal) {
        Draw(slot);
    } else {
        err << row.port << ": " << row.result << '\n' << std::flush;
    }
}

void LineProgress::Summary(const std::string& text) {
    const std::lock_guard lock(mutex);
    if (terminal && !summary.empty()) {
        err << "\x1b[1A\r\x1b[2K";
    }
    summary = Fitted(text);
    err << (terminal ? summary : text) << '\n' << std::flush;
}

std::string LineProgress::Fitted(std::string text) const {
    // The last column stays free: a character there makes some terminals wrap at once.
    return text.substr(0, columns - 1);
}

std::string LineProgress::Text(const Row& row) const {
    std::string text = row.port + "  ";
    if (!row.result.empty()) {
        text += row.result;
    } else if (row.withBar) {
        text += RenderProgress(row.scale, BarWidth) + "  " + row.phase;
    } else {
        text += row.phase;
    }
    return Fitted(text);
}

void LineProgress::AddLine(const std::string& text) {
    if (!summary.empty()) {
        err << "\x1b[1A\r\x1b[2K" << text << "\n\x1b[2K" << summary << '\n';
    } else {
        err << "\r\x1b[2K" << text << '\n';
    }
    err << std::flush;
}

void LineProgress::Draw(size_t slot) {
    const size_t up = rows.size() - slotRow[slot] + (summary.empty() ? 0 : 1);
    err << "\x1b[" << up << "A\r\x1b[2K" << Text(Of(slot)) << "\x1b[" << up << "B\r" << std::flush;
}

}  // namespace corvane::cli
