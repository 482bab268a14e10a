#include <algorithm>
#include <string_view>

#include "fuzz/cases/Cases.h"
#include "fuzz/cases/UploadJudges.h"
#include "fuzz/cases/UploadRun.h"

namespace corvane::fuzz {

namespace {

// The block buffer holds 1024 bytes: the text, the Ctrl-Z behind it and a zero byte.
constexpr size_t LongestBlockText = 1022;
constexpr char CtrlZ = 26;
constexpr char Escape = 27;
constexpr std::string_view BlockCommandPrefix = "AT^QBNW=aud,0,";
constexpr std::string_view CancelCommand = "AT^QBNW=aud,0";

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

// The data lines of a file without a zero byte, run together as the blocks carry them: every
// line end dropped and the header line left out. The blocks sent must spell out its beginning.
std::string DataText(std::string_view file) {
    const auto start = std::find_if_not(file.begin(), file.end(), IsLineEnd);
    const auto headerEnd = std::find_if(start, file.end(), IsLineEnd);
    std::string text;
    std::copy_if(headerEnd, file.end(), std::back_inserter(text),
                 [](char c) { return !IsLineEnd(c); });
    return text;
}

// "AT^QBNW=aud,0,<block>,<total>\r" split into block and total; false for any other write.
bool SplitBlockCommand(std::string_view write, std::string_view& block, std::string_view& total) {
    if (!write.starts_with(BlockCommandPrefix) || !write.ends_with('\r')) {
        return false;
    }
    const std::string_view numbers =
        write.substr(BlockCommandPrefix.size(), write.size() - BlockCommandPrefix.size() - 1);
    const size_t comma = numbers.find(',');
    if (comma == std::string_view::npos) {
        return false;
    }
    block = numbers.substr(0, comma);
    total = numbers.substr(comma + 1);
    return true;
}

void ExpectBlockText(std::string_view write, Violations& violations) {
    Expect(violations, write.size() <= LongestBlockText + 1,
           "a block text of " + std::to_string(write.size() - 1) + " characters went out");
    Expect(violations, write.ends_with(CtrlZ), "a block text went out without its Ctrl-Z");
    const std::string_view text = write.substr(0, write.size() - 1);
    Expect(violations, text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos,
           "a block text holds a line end or a zero byte");
}

// Walks the transfer: numbered block commands in order, each followed by its text when the
// module prompts for one, and at most a cancel command at the end. Returns the texts sent.
std::vector<std::string> WalkTransfer(const UploadOutcome& outcome, bool modulePrompts,
                                      Violations& violations) {
    std::vector<std::string> texts;
    std::string_view firstTotal;
    uint32_t blocks = 0;
    const WireWrite* previous = nullptr;
    for (size_t i = 0; i < outcome.transfer.size(); ++i) {
        const WireWrite& write = outcome.transfer[i];
        if (EndsTextEntry(outcome.transfer, i)) {
            continue;  // a block command went unanswered
        }
        std::string_view block;
        std::string_view total;
        const bool afterBlockCommand = previous != nullptr && previous->command &&
                                       SplitBlockCommand(previous->bytes, block, total);
        if (!write.command) {
            if (!modulePrompts) {
                violations.push_back("data went to a module that had not prompted for text");
            } else if (!afterBlockCommand) {
                violations.push_back("a block text without its block command in front");
            } else {
                ExpectBlockText(write.bytes, violations);
                texts.push_back(write.bytes.substr(0, write.bytes.size() - 1));
            }
        } else if (SplitBlockCommand(write.bytes, block, total)) {
            // A second attempt repeats the command.
            if (previous == nullptr || write.bytes != previous->bytes) {
                ++blocks;
                firstTotal = blocks == 1 ? total : firstTotal;
                Expect(violations, block == std::to_string(blocks) && total == firstTotal,
                       "block command out of order: " + write.bytes);
            }
        } else if (write.bytes.starts_with(CancelCommand)) {
            Expect(
                violations, outcome.result == ResultInvalidFile,
                "the transfer was cancelled but the result is " + std::to_string(outcome.result));
        } else if (write.bytes != SwitchOff) {
            violations.push_back("an unexpected command: " + write.bytes);
        }
        previous = &write;
    }
    return texts;
}

// A report for every block sent; the module may have refused the last one, and so the run, when
// it holds ESC, which abandons a text entry.
void ExpectProgressPerBlock(const UploadOutcome& outcome, const std::vector<std::string>& texts,
                            Violations& violations) {
    const size_t blocks = texts.size();
    const bool lastMayBeRefused = blocks > 0 && texts.back().find(Escape) != std::string::npos;
    Expect(violations,
           outcome.progress.size() == blocks ||
               (lastMayBeRefused && outcome.progress.size() + 1 == blocks),
           std::to_string(outcome.progress.size()) + " progress reports for " +
               std::to_string(blocks) + " blocks taken");
    for (size_t i = 0; i < outcome.progress.size(); ++i) {
        Expect(violations,
               outcome.progress[i].first == ((2 * (i + 1)) & 0xFFFF) &&
                   outcome.progress[i].second == outcome.progress[0].second,
               "progress report " + std::to_string(i + 1) + " is not two lines further");
    }
}

}  // namespace

Violations JudgeTextUpload(std::string_view file, const UploadOutcome& run, ModuleKind module) {
    Violations violations;
    ExpectClosedDown(run, {ResultOk, ResultInvalidFile}, violations);
    if (module == ModuleKind::OtherFamily) {
        // It answers the block command with "CONNECT": nothing of the file may reach it.
        WalkTransfer(run, false, violations);
        Expect(violations, run.progress.empty(), "progress reported for a refused block");
        return violations;
    }
    const std::vector<std::string> texts = WalkTransfer(run, true, violations);
    ExpectProgressPerBlock(run, texts, violations);
    if (file.find('\0') == std::string_view::npos) {
        std::string sent;
        for (const std::string& text : texts) {
            sent += text;
        }
        Expect(violations, DataText(file).starts_with(sent),
               "the blocks sent are not the file's data lines in order");
    }
    return violations;
}

Violations CheckTextUpload(std::span<const uint8_t> input) {
    return UploadToBothFamilies(UploadProcedure::Text, JudgeTextUpload, input, sim::Family::K31);
}

}  // namespace corvane::fuzz
