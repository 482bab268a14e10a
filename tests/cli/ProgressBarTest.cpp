#include "cli/ProgressBar.h"
#include "line/RunText.h"

#include <gtest/gtest.h>

#include <sstream>

namespace corvane::cli {
namespace {

TEST(ProgressBarTest, RendersTheShareOfTheRange) {
    struct Case {
        uint32_t position;
        uint32_t range;
        const char* line;
    };
    const Case cases[] = {
        {0, 100, "[..........]   0%"},       {40, 100, "[####......]  40%"},
        {100, 100, "[##########] 100%"},     {2, 3, "[######....]  66%"},
        {4, 3, "[##########] 100%"},      // n + 1 of n after the last text block
        {5, 0, "[##########] 100%"},      // a zero range counts as 1
        {1, 65538, "[#####.....]  50%"},  // only the low 16 bits: range 2
        {65536 + 1, 4, "[##........]  25%"}, {65535, 65535, "[##########] 100%"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.position) + " of " + std::to_string(c.range));
        EXPECT_EQ(RenderProgress(ScaleProgress(c.position, c.range), 10), c.line);
    }
}

TEST(ProgressBarTest, PhasesInTheOperatorsWords) {
    using enum UploadPhase;
    struct Case {
        PhaseReport report;
        const char* text;
        const char* logLine;
    };
    // The text family's phases are in the command's tests.
    const Case cases[] = {
        {{.phase = Writing, .block = 1, .blocks = 1}, "writing block 1 of 1", "writing 1 block"},
        // One share on the line: the bar's.
        {{.phase = Writing, .block = 7}, "writing record 7", "writing the records"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(line::PhaseText(c.report), c.text);
        EXPECT_EQ(PhaseLogLine(c.report), c.logLine);
    }
}

// Each redraw fits the terminal's width, its last column left free: no line ever wraps.
TEST(ProgressBarTest, NeverWiderThanTheTerminal) {
    const struct {
        size_t columns;
        const char* line;
    } cases[] = {
        {0, "[##############..........................]  35%  writing block 7 of 20"},
        {50, "[######.............]  35%  writing block 7 of 20"},
        {40, " 35%  writing block 7 of 20"},
        {20, " 35%  writing block"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.columns);
        std::ostringstream terminal;
        ProgressBar bar(terminal, c.columns);
        bar.Phase({.phase = UploadPhase::Writing, .block = 7, .blocks = 20});
        bar.Report(14, 40);
        const std::string drawn = terminal.str();
        EXPECT_EQ(drawn.substr(drawn.rfind('\r') + 1), c.line);
    }
    std::ostringstream terminal;
    ProgressBar bar(terminal, 12);
    bar.Phase({.phase = UploadPhase::FindingRate});
    EXPECT_EQ(terminal.str(), "\rfinding the") << "no bar yet: the phase alone, cut";
}

}  // namespace
}  // namespace corvane::cli
