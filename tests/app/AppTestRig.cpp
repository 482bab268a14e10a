#include "tests/app/AppTestRig.h"

#include <QApplication>
#include <QFile>
#include <cstring>

#include "app/ModuleFamily.h"

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
    return [this](const UpdateRequest& request, const ProgressCallback& progress) {
        {
            std::lock_guard lock(mutex);
            lastRequest = request;
        }
        ++runs;
        for (const auto& [position, range] : reports) {
            progress(position, range);
        }
        entered = true;
        {
            std::unique_lock lock(mutex);
            released.wait(lock, [this] { return open || !hold; });
        }
        for (const auto& [position, range] : reportsAfterRelease) {
            progress(position, range);
        }
        return code;
    };
}

void ScriptedProcedure::Release() {
    std::lock_guard lock(mutex);
    open = true;
    released.notify_all();
}

UpdateRequest ScriptedProcedure::LastRequest() {
    std::lock_guard lock(mutex);
    return lastRequest;
}

void FillWorkingRegistry(platform::MemoryRegistry& registry) {
    const char16_t port[] = u"/dev/ttyTEST";
    std::vector<uint8_t> text(sizeof port);
    std::memcpy(text.data(), port, sizeof port);
    registry.SetValue(platform::HKEY_LOCAL_MACHINE, "Drivers\\BuiltIn\\Multiplexer", "ParentPort",
                      {platform::REG_SZ, text});
    registry.SetValue(platform::HKEY_LOCAL_MACHINE, "Software\\Microsoft\\RIL", "BaudRate",
                      {platform::REG_DWORD, {0x00, 0xE1, 0x00, 0x00}});
}

DialogRig::DialogRig(bool workingRegistry) : updates(messages, procedure.Procedure()) {
    std::memset(ModuleFamily, 0, sizeof ModuleFamily);
    if (workingRegistry) {
        FillWorkingRegistry(registry);
    }
    dialog = std::make_unique<UpdateDialog>(DialogServices{registry, files, messages, updates});
    dialog->show();
}

DialogRig::~DialogRig() {
    dialog.reset();
    procedure.Release();
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
