#include "tests/app/AppTestRig.h"

#include <QApplication>
#include <QFile>

#include "platform/registry/RegistryValues.h"
#include "platform/registry/Utf16.h"

namespace corvane::test {

void FakeMessagePresenter::Record(ShownMessage box) {
    shown.push_back(std::move(box));
    if (onShow) {
        onShow();
    }
}

void FakeMessagePresenter::ShowModal(QWidget* owner, const Message& message) {
    Record({message, false, false, owner, {}});
}

bool FakeMessagePresenter::Ask(QWidget* owner, const Message& message) {
    Record({message, true, false, owner, {}});
    return answer;
}

void FakeMessagePresenter::ShowOwnerless(const Message& message, std::function<void()> dismissed) {
    Record({message, false, true, nullptr, std::move(dismissed)});
    if (dismissAtOnce) {
        DismissOwnerless();
    }
}

void FakeMessagePresenter::DismissOwnerless() {
    size_t seen = 0;
    for (ShownMessage& box : shown) {
        if (box.ownerless && seen++ == dismissedCount) {
            ++dismissedCount;
            box.dismissed();
            return;
        }
    }
    QFAIL("no ownerless box is open");
}

DialogRig::DialogRig(RigOptions options)
    : runs(options.procedure ? options.procedure : procedure.Procedure()) {
    if (options.registry) {
        registry.SetValue(platform::HKEY_LOCAL_MACHINE, "Drivers\\BuiltIn\\Multiplexer",
                          "ParentPort", platform::TextValue(*platform::Utf8ToUtf16(options.port)));
        registry.SetValue(platform::HKEY_LOCAL_MACHINE, "Software\\Microsoft\\RIL", "BaudRate",
                          platform::NumberValue(options.rate));
    }
    dialog = std::make_unique<UpdateDialog>(Services());
    dialog->show();
}

DialogRig::~DialogRig() {
    // A held run would keep the dialog's end waiting.
    procedure.Release();
    dialog.reset();
}

DialogServices DialogRig::Services(MessagePresenter* presenter) {
    return {registry, files, presenter ? *presenter : messages, runs};
}

UpdateDialog* ShownDialog() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<UpdateDialog*>(widget); dialog && dialog->isVisible()) {
            return dialog;
        }
    }
    return nullptr;
}

ScratchFile::ScratchFile(const QString& name, const QByteArray& content)
    : path(directory.filePath(name)) {
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(content);
}

std::vector<std::pair<const char*, QObject* (*)()>>& TestClasses() {
    static std::vector<std::pair<const char*, QObject* (*)()>> classes;
    return classes;
}

}  // namespace corvane::test
