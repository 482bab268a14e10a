#include "cli/ResultText.h"

#include <gtest/gtest.h>

namespace corvane::cli {
namespace {

TEST(ResultTextTest, FailureTextKeepsTheWindowsLineEnds) {
    EXPECT_EQ(FailureText(3),
              "Audio Parameter Update failed!\r\nError code: 3\r"
              "Couldn't open audio parameter file. (maybe wrong file name)");
    EXPECT_EQ(FailureText(6),
              "Audio Parameter Update failed!\r\nError code: 6\rPossibly modem not connected.");
    EXPECT_EQ(FailureText(1),
              "Audio Parameter Update failed!\r\nError code: 1\rInvalid parameters.");
    // Codes without words end with the "\r".
    EXPECT_EQ(FailureText(8), "Audio Parameter Update failed!\r\nError code: 8\r");
    EXPECT_EQ(FailureText(-1), "Audio Parameter Update failed!\r\nError code: -1\r");
}

TEST(ResultTextTest, TerminalTextEndsEveryLineWithOneLineFeed) {
    EXPECT_EQ(ForTerminal(FailureText(7)),
              "Audio Parameter Update failed!\nError code: 7\nProbably Wrong module type.\n");
    EXPECT_EQ(ForTerminal(FailureText(8)), "Audio Parameter Update failed!\nError code: 8\n");
    EXPECT_EQ(ForTerminal("a\r\rb\n\nc\r\n"), "a\n\nb\n\nc\n");
    EXPECT_EQ(ForTerminal(""), "\n");
}

}  // namespace
}  // namespace corvane::cli
