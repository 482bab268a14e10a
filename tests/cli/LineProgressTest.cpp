#include "cli/LineProgress.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace corvane::cli {
namespace {

using ::testing::ElementsAre;

// What a terminal shows after the text: the cursor movements the display uses, played back.
std::vector<std::string> Screen(const std::string& text) {
    std::vector<std::string> lines(1);
    size_t row = 0;
    size_t column = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\x1b') {
            const size_t end = text.find_first_of("ABK", i);
            const int n = std::stoi("0" + text.substr(i + 2, end - i - 2));
            if (text[end] == 'A') {
                row -= static_cast<size_t>(n);
            } else if (text[end] == 'B') {
                row += static_cast<size_t>(n);
                lines.resize(std::max(lines.size(), row + 1));
            } else {
                lines[row].clear();
            }
            i = end;
        } else if (c == '\r') {
            column = 0;
        } else if (c == '\n') {
            lines.resize(std::max(lines.size(), ++row + 1));
            column = 0;
        } else {
            lines[row].resize(std::max(lines[row].size(), column + 1), ' ');
            lines[row][column++] = c;
        }
    }
    return lines;
}

line::PortResult Result(const char* device, ResultCode code) {
    line::PortResult result{.port = {.device = device},
                            .duration = std::chrono::milliseconds(4200)};
    result.outcome.code = code;
    return result;
}

// Three ports reporting at once from their threads, one of them plugged in again, then the
// summary: every port keeps one whole line of its own.
TEST(LineProgressTest, EachPortKeepsOneLineRedrawnInPlace) {
    std::ostringstream err;
    LineProgress display(err, true, 60);
    const char* ports[] = {"/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyUSB2"};
    std::vector<std::thread> threads;
    for (size_t slot = 0; slot < 3; ++slot) {
        display.Started(slot, {.device = ports[slot], .serialNumber = slot == 1 ? "FT5" : ""});
    }
    for (size_t slot = 0; slot < 3; ++slot) {
        threads.emplace_back([&display, &ports, slot] {
            for (uint32_t block = 1; block <= 50; ++block) {
                display.Phase(slot, {.phase = UploadPhase::Writing, .block = block, .blocks = 50});
                display.Progress(slot, 2 * block, 100);
            }
            display.Finished(slot,
                             Result(ports[slot], slot == 2 ? ResultModemNotConnected : ResultOk));
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    display.Summary("3 updates: 2 written, 1 failed");
    display.Started(3, {.device = "/dev/ttyUSB2"});
    display.Phase(3, {.phase = UploadPhase::FindingRate, .rate = 115200});
    EXPECT_THAT(
        Screen(err.str()),
        ElementsAre("/dev/ttyUSB0  written in 4.2 s", "/dev/ttyUSB1 [FT5]  written in 4.2 s",
                    "/dev/ttyUSB2  finding the rate...", "3 updates: 2 written, 1 failed", ""));
}

TEST(LineProgressTest, WithoutATerminalEachEventIsALineOfItsPort) {
    std::ostringstream err;
    LineProgress display(err, false, 0);
    display.Started(0, {.device = "/dev/ttyUSB0"});
    display.Phase(0, {.phase = UploadPhase::FindingRate, .rate = 115200});
    for (uint32_t block = 1; block <= 3; ++block) {
        display.Phase(0, {.phase = UploadPhase::Writing, .block = block, .blocks = 3});
        display.Progress(0, 2 * block, 6);
    }
    line::PortResult failed = Result("/dev/ttyUSB0", ResultInvalidFile);
    failed.outcome.detail = "block 2 of 3: the module answered\nERROR";
    display.Finished(0, failed);
    display.Summary("1 update: 0 written, 1 failed");
    EXPECT_EQ(err.str(),
              "/dev/ttyUSB0: finding the rate, 115200 baud first\n"
              "/dev/ttyUSB0: writing 3 blocks\n"
              "/dev/ttyUSB0: failed: 4 Not a valid audio parameter file. (block 2 of 3: the "
              "module answered ERROR)\n"
              "1 update: 0 written, 1 failed\n");
}

}  // namespace
}  // namespace corvane::cli
