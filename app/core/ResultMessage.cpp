#include "app/core/ResultMessage.h"

#include <filesystem>

#include "upload/ResultText.h"

namespace corvane {
namespace {

// The file's name and the family in the words of the window's controls.
std::string RunLine(const UploadJob& job) {
    const std::filesystem::path path(std::u8string(job.filePath.begin(), job.filePath.end()));
    const std::u8string name = path.filename().u8string();
    const char* family =
        job.procedure == UploadProcedure::Text ? "Series K31 modules" : "Series K47 modules";
    return std::string(name.begin(), name.end()) + ", " + family;
}

}  // namespace

Message ResultMessageFor(const UploadOutcome& outcome, const UploadJob& job) {
    std::string text = outcome.stopped       ? StoppedText(outcome)
                       : outcome.Succeeded() ? std::string(SuccessText)
                                             : FailureText(outcome.code);
    // Without a file the run wrote nothing, and the detail says that none was chosen.
    if (!job.filePath.empty()) {
        text += "\r\n" + RunLine(job);
    }
    if (!outcome.detail.empty()) {
        text += "\r\n" + outcome.detail;
    }
    return {text, MessageCaption,
            outcome.Succeeded() ? MessageIcon::Information : MessageIcon::Exclamation};
}

}  // namespace corvane
