#include "app/QtMessagePresenter.h"

#include <QMessageBox>
#include <memory>

namespace corvane {
namespace {

// The texts break lines with "\r\n" and also with a lone "\r", as the device's boxes show them.
QString DisplayText(const QString& text) {
    QString display = text;
    display.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    display.replace(QChar('\r'), QChar('\n'));
    return display;
}

}  // namespace

QMessageBox* QtMessagePresenter::CreateBox(QWidget* owner, const Message& message) {
    const auto icon =
        message.icon == MessageIcon::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon;
    auto* box =
        new QMessageBox(icon, message.caption, DisplayText(message.text), QMessageBox::Ok, owner);
    box->setTextFormat(Qt::PlainText);
    return box;
}

void QtMessagePresenter::ShowModal(QWidget* owner, const Message& message) {
    const std::unique_ptr<QMessageBox> box(CreateBox(owner, message));
    box->exec();
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
