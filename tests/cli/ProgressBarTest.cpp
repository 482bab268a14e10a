#include "cli/ProgressBar.h"

#include <gtest/gtest.h>

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
        {{.phase = Writing, .block = 7, .percent = 35},
         "writing record 7 (35 %)",
         "writing the records"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PhaseText(c.report), c.text);
        EXPECT_EQ(PhaseLogLine(c.report), c.logLine);
    }
}

}  // namespace
}  // namespace corvane::cli
