#include "app/ResultMessage.h"

#include "link/ResultCode.h"
#include "upload/RunUpload.h"

namespace corvane {

Message ResultMessageFor(int code) {
    if (code == ResultOk) {
        return {QStringLiteral("Audio Parameter Update successfull"), MessageCaption,
                MessageIcon::None};
    }
    const QString text =
        QString::asprintf("Audio Parameter Update failed!\r\nError code: %d\r", code) +
        QString::fromLatin1(ResultMessageText(code));
    return {text, MessageCaption, MessageIcon::Exclamation};
}

}  // namespace corvane
