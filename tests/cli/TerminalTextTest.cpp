#include "cli/TerminalText.h"

#include <gtest/gtest.h>

#include "upload/ResultText.h"

namespace corvane::cli {
namespace {

TEST(TerminalTextTest, EveryLineEndsWithOneLineFeed) {
    EXPECT_EQ(ForTerminal(FailureText(7)),
              "Audio Parameter Update failed!\nError code: 7\nProbably Wrong module type.\n");
    EXPECT_EQ(ForTerminal(FailureText(8)), "Audio Parameter Update failed!\nError code: 8\n");
    EXPECT_EQ(ForTerminal("a\r\rb\n\nc\r\n"), "a\n\nb\n\nc\n");
    EXPECT_EQ(ForTerminal(""), "\n");
}

}  // namespace
}  // namespace corvane::cli
