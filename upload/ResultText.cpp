#include "upload/ResultText.h"

#include <array>

#include "upload/ProgressScale.h"

namespace corvane {

namespace {

constexpr std::array<const char*, 8> ResultMessages = {
    "",
    "Invalid parameters.",
    "COM-Port not accessible or Baud rate not possible.",
    "Couldn't open audio parameter file. (maybe wrong file name)",
    "Not a valid audio parameter file.",
    "Modem didn't accept data.",
    "Possibly modem not connected.",
    "Probably Wrong module type.",
};

}  // namespace

const char* ResultMessageText(int code) {
    if (code < 0 || code >= static_cast<int>(ResultMessages.size())) {
        return "";
    }
    return ResultMessages[static_cast<size_t>(code)];
}

std::string Counted(uint64_t count, const char* unit) {
    return std::to_string(count) + " " + unit + (count == 1 ? "" : "s");
}

std::string FailureText(int code) {
    return "Audio Parameter Update failed!\r\nError code: " + std::to_string(code) + "\r" +
           ResultMessageText(code);
}

std::string StoppedText(const UploadOutcome& outcome) {
    std::string text = "Audio Parameter Update stopped!\r\n";
    if (outcome.accepted == 0) {
        return text + "Nothing was written before the stop.";
    }
    // The procedures report the position in 16 bits; so does this.
    const ProgressScale last = ScaleProgress(outcome.position, outcome.range);
    if (outcome.procedure == UploadProcedure::Text) {
        return text + "Written before the stop: " + Counted(outcome.accepted, "block") + " (" +
               std::to_string(last.position) + " of " + std::to_string(last.range) + " lines).";
    }
    return text + "Written before the stop: " + Counted(outcome.accepted, "record") + " (" +
           std::to_string(last.position) + "% of the file).";
}

}  // namespace corvane
