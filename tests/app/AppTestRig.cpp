#include "tests/app/AppTestRig.h"

#include <QApplication>
#include <QFile>
#include <cstring>

#include "app/ModuleFamily.h"
#include "platform/registry/RegistryValues.h"
#include "platform/registry/Utf16.h"

namespace corvane::test {

void FakeMessagePresenter::ShowModal(QWidget* owner, const Message& message) {
    shown.push_back({message, true, owner, QApplication::overrideCursor() != nullptr, {}});
    if (onShow) {
        onShow();
    }
}

void FakeMessagePresenter::ShowOwnerless(const Message& message, std::function<void()> dismissed) {
    shown.push_back({message, false, nullptr, false, std::move(dismissed)});
    if (onShow) {
        onShow();
    }
    if (dismissAtOnce) {
        DismissOwnerless();
    }
}

void FakeMessagePresenter::DismissOwnerless() {
    size_t seen = 0;
    for (ShownMessage& box : shown) {
        if (!box.modal && seen++ == dismissedCount) {
            ++dismissedCount;
            box.dismissed();
            return;
        }
    }
    QFAIL("no ownerless box is open");
}

UpdateWorker::Procedure ScriptedProcedure::Procedure() {
    return [this](const UploadJob& job, const ProgressCallback& progress, StopRequest&) {
        {
            std::lock_guard lock(mutex);
            lastRequest = job;
        }
        ++runs;
        for (const auto& [position, range] : reports) {
            progress(position, range);
        }
        entered = true;
        std::unique_lock lock(mutex);
        released.wait(lock, [this] { return open || !hold; });
        return UploadOutcome{.code = code};
    };
}

void ScriptedProcedure::Release() {
    std::lock_guard lock(mutex);
    open = true;
    released.notify_all();
}

UploadJob ScriptedProcedure::LastRequest() {
    std::lock_guard lock(mutex);
    return lastRequest;
}

DialogRig::DialogRig(RigOptions options)
    : updates(messages, options.procedure ? options.procedure : procedure.Procedure()) {
    std::memset(ModuleFamily, 0, sizeof ModuleFamily);
    if (options.registry) {
        registry.SetValue(platform::HKEY_LOCAL_MACHINE, "Drivers\\BuiltIn\\Multiplexer",
                          "ParentPort", platform::TextValue(*platform::Utf8ToUtf16(options.port)));
        registry.SetValue(platform::HKEY_LOCAL_MACHINE, "Software\\Microsoft\\RIL", "BaudRate",
                          platform::NumberValue(options.rate));
    }
    dialog = std::make_unique<UpdateDialog>(DialogServices{registry, files, messages, updates});
    dialog->show();
}

DialogRig::~DialogRig() {
    dialog.reset();
    procedure.Release();
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
