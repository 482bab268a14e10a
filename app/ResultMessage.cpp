#include "app/ResultMessage.h"

#include "upload/ResultText.h"

namespace corvane {

Message ResultMessageFor(const UploadOutcome& outcome) {
    if (outcome.stopped) {
        return {QString::fromStdString(StoppedText(outcome)), MessageCaption,
                MessageIcon::Exclamation};
    }
    if (outcome.Succeeded()) {
        return {QString::fromLatin1(SuccessText), MessageCaption, MessageIcon::None};
    }
    QString text = QString::fromLatin1(FailureText(outcome.code));
    if (!outcome.detail.empty()) {
        // Names of ports and files are the system's own bytes.
        text += QStringLiteral("\r\n") + QString::fromLocal8Bit(outcome.detail);
    }
    return {text, MessageCaption, MessageIcon::Exclamation};
}

}  // namespace corvane
