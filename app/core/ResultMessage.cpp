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

// The detail of a failure on the line, with the port it concerns named as the operator can find
// it. The session names an unopened port itself ("COM9: no such port"); a silent module's detail
// names only the rates.
std::string LineDetail(const UploadOutcome& outcome, const UploadJob& job,
                       const std::string& portOrigin) {
    const std::string label = portOrigin.empty() ? job.portName : job.portName + ", " + portOrigin;
    const std::string named = job.portName + ": ";
    if (outcome.code == ResultPortUnavailable && outcome.detail.starts_with(named)) {
        return label + ": " + outcome.detail.substr(named.size());
    }
    if (outcome.code == ResultModemNotConnected && !outcome.stopped && !job.portName.empty()) {
        return label + ": " + outcome.detail;
    }
    return outcome.detail;
}

}  // namespace

Message ResultMessageFor(const UploadOutcome& outcome, const UploadJob& job,
                         const std::string& portOrigin) {
    std::string text = outcome.stopped       ? StoppedText(outcome)
                       : outcome.Succeeded() ? std::string(SuccessText)
                                             : FailureText(outcome.code);
    // Without a file the run wrote nothing, and the detail says that none was chosen.
    if (!job.filePath.empty()) {
        text += "\r\n" + RunLine(job);
    }
    const std::string detail = LineDetail(outcome, job, portOrigin);
    if (!detail.empty()) {
        text += "\r\n" + detail;
    }
    return {text, MessageCaption,
            outcome.Succeeded() ? MessageIcon::Information : MessageIcon::Exclamation};
}

}  // namespace corvane
