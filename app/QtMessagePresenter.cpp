#include "app/QtMessagePresenter.h"

#include <QGridLayout>
#include <QSpacerItem>
#include <memory>

#include "app/CaptionWidth.h"

namespace corvane {
namespace {

// The texts break lines with "\r\n" and also with a lone "\r", as the device's boxes show them.
QString DisplayText(const std::string& text) {
    QString display = QString::fromStdString(text);
    display.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    display.replace(QChar('\r'), QChar('\n'));
    return display;
}

QMessageBox::Icon IconOf(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Question:
            return QMessageBox::Question;
        case MessageIcon::Exclamation:
            break;
    }
    return QMessageBox::Warning;
}

}  // namespace

QMessageBox* QtMessagePresenter::CreateBox(QWidget* owner, const Message& message,
                                           QMessageBox::StandardButtons buttons) {
    const QString caption = QString::fromStdString(message.caption);
    auto* box =
        new QMessageBox(IconOf(message.icon), caption, DisplayText(message.text), buttons, owner);
    box->setTextFormat(Qt::PlainText);
    // A box sizes itself by its text; a short text would leave its caption cut off. The box
    // takes no minimum width of its own, but its grid keeps a row as wide as its widest item.
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout())) {
        grid->addItem(new QSpacerItem(CaptionWidth(caption), 0, QSizePolicy::Minimum),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
    return box;
}

void QtMessagePresenter::ShowModal(QWidget* owner, const Message& message) {
    const std::unique_ptr<QMessageBox> box(CreateBox(owner, message));
    box->exec();
}

bool QtMessagePresenter::Ask(QWidget* owner, const Message& message) {
    const std::unique_ptr<QMessageBox> box(
        CreateBox(owner, message, QMessageBox::Yes | QMessageBox::No));
    box->setDefaultButton(QMessageBox::No);
    question = box.get();
    return box->exec() == QMessageBox::Yes;
}

void QtMessagePresenter::CloseQuestion() {
    if (question) {
        question->done(QMessageBox::No);
    }
}

void QtMessagePresenter::ShowOwnerless(const Message& message, std::function<void()> dismissed) {
    QMessageBox* box = CreateBox(nullptr, message);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    QObject::connect(box, &QMessageBox::finished, box,
                     [dismissed = std::move(dismissed)] { dismissed(); });
    box->show();
}

}  // namespace corvane
