#include "app/DisplayRequired.h"

#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace corvane {
namespace {

// The message handler is one per process, and so is what it needs.
struct Held {
    QtMessageHandler previous = nullptr;
    QByteArray program;
    // The context's texts are the literals of Qt's logging sites, which outlive the call.
    struct Entry {
        QtMsgType type;
        const char* file;
        int line;
        const char* function;
        const char* category;
        QString text;
    };
    QList<Entry> messages;
};
Held held;

void Hold(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type != QtFatalMsg) {
        held.messages.append(
            {type, context.file, context.line, context.function, context.category, text});
        return;
    }
    // The first thing the window system said is its reason ("could not connect to display :1").
    const QString reason =
        (held.messages.isEmpty() ? text.section(QChar(10), 0, 0) : held.messages.first().text)
            .trimmed();
    std::fprintf(stderr, "%s: needs a display to show its window: %s\n", held.program.constData(),
                 reason.toLocal8Bit().constData());
    std::_Exit(1);
}

}  // namespace

DisplayRequired::DisplayRequired(const QString& program) {
    held.program = program.toLocal8Bit();
    held.previous = qInstallMessageHandler(Hold);
}

DisplayRequired::~DisplayRequired() {
    qInstallMessageHandler(held.previous);
    for (const Held::Entry& message : std::exchange(held.messages, {})) {
        qt_message_output(
            message.type,
            QMessageLogContext(message.file, message.line, message.function, message.category),
            message.text);
    }
}

}  // namespace corvane
