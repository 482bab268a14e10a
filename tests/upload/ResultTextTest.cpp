#include "upload/ResultText.h"

#include <gtest/gtest.h>

#include <string>

#include "upload/FailureDetail.h"

namespace corvane {
namespace {

TEST(ResultText, MessagesAreTheOperatorsWords) {
    const char* expected[] = {
        "",
        "Invalid parameters.",
        "COM-Port not accessible or Baud rate not possible.",
        "Couldn't open audio parameter file. (maybe wrong file name)",
        "Not a valid audio parameter file.",
        "Modem didn't accept data.",
        "Possibly modem not connected.",
        "Probably Wrong module type.",
    };
    for (int code = -1; code <= 8; ++code) {
        EXPECT_STREQ(ResultMessageText(code), code >= 0 && code < 8 ? expected[code] : "") << code;
    }
}

TEST(ResultText, FailureTextKeepsTheWindowsLineEnds) {
    EXPECT_EQ(FailureText(3),
              "Audio Parameter Update failed!\r\nError code: 3\r"
              "Couldn't open audio parameter file. (maybe wrong file name)");
    EXPECT_EQ(FailureText(1),
              "Audio Parameter Update failed!\r\nError code: 1\rInvalid parameters.");
    // Codes without words end with the "\r".
    EXPECT_EQ(FailureText(8), "Audio Parameter Update failed!\r\nError code: 8\r");
    EXPECT_EQ(FailureText(-1), "Audio Parameter Update failed!\r\nError code: -1\r");
}

TEST(ResultText, StoppedTextTellsWhatWasWritten) {
    const std::string stopped = "Audio Parameter Update stopped!\r\n";
    struct Case {
        UploadOutcome outcome;
        std::string text;
    };
    const Case cases[] = {
        {{.stopped = true}, "Nothing was written before the stop."},
        {{.stopped = true, .accepted = 1, .position = 2, .range = 5},
         "Written before the stop: 1 block (2 of 5 lines)."},
        // The procedure reports 16 bits of each count.
        {{.stopped = true, .accepted = 2, .position = 4, .range = 0x10006},
         "Written before the stop: 2 blocks (4 of 6 lines)."},
        {{.procedure = UploadProcedure::Binary,
          .stopped = true,
          .accepted = 1,
          .position = 43,
          .range = 100},
         "Written before the stop: 1 record (43% of the file)."},
        {{.procedure = UploadProcedure::Binary,
          .stopped = true,
          .accepted = 3,
          .position = 80,
          .range = 100},
         "Written before the stop: 3 records (80% of the file)."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(StoppedText(c.outcome), stopped + c.text);
    }
}

// What the module answered, as the operator reads it below the result text.
TEST(ResultText, RefusedBlocksSayWhatTheModuleAnswered) {
    struct Case {
        BlockResult result;
        std::string reply;
        std::string detail;
    };
    const std::string block = "the command for block 2 of 3";
    const Case cases[] = {
        {BlockResult::Unconfirmed, "\r\n+CME ERROR: 100\r\n",
         "the module did not confirm block 2 of 3: it answered +CME ERROR: 100"},
        {BlockResult::Unconfirmed, " \r\n ", "the module did not confirm block 2 of 3 (no answer)"},
        {BlockResult::WrongModuleType, "\r\nOK\r\nRING\x01\xFF\r\n",
         "the module answered " + block + " with OK\\r\\nRING\\x01\\xFF instead of the prompt"},
        {BlockResult::WrongModuleType, "",
         "the module did not answer " + block + " with the prompt"},
        {BlockResult::WrongModuleType, std::string(50, 'x') + "\r\n",
         "the module answered " + block + " with " + std::string(40, 'x') +
             "... instead of the prompt"},
        {BlockResult::DataRefused, "\r\nCONNECT\r\n",
         "the module answered CONNECT: it takes binary files — choose K47 (`-f 47`)"},
        {BlockResult::WrongModuleType, "\r\n> ",
         "the module answered with the text prompt: it takes text files — choose K31 (`-f 31`)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        std::string reply = c.reply;
        reply += '\0';
        EXPECT_EQ(RefusedBlock(c.result, "block 2 of 3", reply, "the prompt"), c.detail);
    }
}

}  // namespace
}  // namespace corvane
