#include "app/core/ResultMessage.h"

#include "upload/ResultText.h"

namespace corvane {

Message ResultMessageFor(const UploadOutcome& outcome) {
    if (outcome.stopped) {
        return {StoppedText(outcome), MessageCaption, MessageIcon::Exclamation};
    }
    if (outcome.Succeeded()) {
        return {SuccessText, MessageCaption, MessageIcon::Information};
    }
    std::string text = FailureText(outcome.code);
    if (!outcome.detail.empty()) {
        text += "\r\n" + outcome.detail;
    }
    return {text, MessageCaption, MessageIcon::Exclamation};
}

}  // namespace corvane
