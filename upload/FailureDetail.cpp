#include "upload/FailureDetail.h"

#include <string_view>

#include "link/ReplyText.h"
#include "platform/EscapedBytes.h"

namespace corvane {

namespace {

// Enough for "ERROR", "+CME ERROR: 100" and the like; a long reply is noise to the operator.
constexpr size_t LongestReplyShown = 40;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

std::string NoAnswerAtAnyRate(uint32_t configuredRate, bool echoHeard) {
    std::string rates;
    // Named: a range over the span of a temporary would outlive the rates it points into.
    const RateProbeOrder order(configuredRate);
    for (const uint32_t rate : order.Rates()) {
        rates += (rates.empty() ? "" : ", ") + std::to_string(rate);
    }
    const std::string tried =
        "no answer to AT at " + rates + " baud (" + std::to_string(RateSearchPasses) + " passes)";
    // A module that hears the line but takes what it hears as data: no rate would help.
    if (echoHeard) {
        return tried +
               "; the module echoes but does not answer: it may still wait for the data of an "
               "interrupted block; switch it off and on";
    }
    return tried + "; if the module runs at another rate, give it with corvane-update -b RATE";
}

std::string NoAnswerAfterReset(uint32_t rate, int attempts) {
    return "the module answered AT at " + std::to_string(rate) + " baud, but none of the " +
           std::to_string(attempts) + " AT after its reset";
}

std::string RefusedBlock(BlockResult result, std::string_view block, std::span<const char> reply,
                         std::string_view awaited) {
    const std::string words = ReplyWords(reply);
    const std::string command = "the command for " + std::string(block);
    switch (result) {
        case BlockResult::Confirmed:
            return "";
        case BlockResult::DataRefused:
            // A module in binary mode wants a record that a text file does not have.
            if (reply_text::Contains(reply, "CONNECT")) {
                return OtherFamilyAdvice("CONNECT", UploadProcedure::Binary);
            }
            return std::string(block) + " does not fit the way the module asked for it";
        case BlockResult::WrongModuleType:
            // Signs of a K31 module given a record: it asks for text, or it takes the record
            // command for what that is to it, the cancel of a set.
            if (reply_text::Contains(reply, "\r\n> ")) {
                return OtherFamilyAdvice("with the text prompt", UploadProcedure::Text);
            }
            if (awaited == "CONNECT" && words == "OK") {
                return OtherFamilyAdvice("OK", UploadProcedure::Text);
            }
            // An answer without the mode's marker, perhaps followed by silence to the retry.
            return words.empty()
                       ? "the module did not answer " + command + " with " + std::string(awaited)
                       : "the module answered " + command + " with " + words + " instead of " +
                             std::string(awaited);
        case BlockResult::Unconfirmed:
            break;
    }
    // Either the command or the data went unanswered; the link does not say which.
    return "the module did not confirm " + std::string(block) +
           (words.empty() ? " (no answer)" : ": it answered " + words);
}

std::string OtherFamilyAdvice(std::string_view answered, UploadProcedure moduleTakes) {
    return "the module answered " + std::string(answered) + ": it takes " +
           (moduleTakes == UploadProcedure::Binary ? "binary files — choose K47 (`-f 47`)"
                                                   : "text files — choose K31 (`-f 31`)");
}

std::string ReplyWords(std::span<const char> reply) {
    std::string_view text = reply_text::Text(reply);
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    const std::string_view shown = text.substr(0, LongestReplyShown);
    const std::string words =
        EscapedBytes({reinterpret_cast<const uint8_t*>(shown.data()), shown.size()});
    return text.size() > LongestReplyShown ? words + "..." : words;
}

}  // namespace corvane
