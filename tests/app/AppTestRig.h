#pragma once

#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>
#include <vector>

#include "app/FileChooser.h"
#include "app/MessagePresenter.h"
#include "app/UpdateDialog.h"
#include "platform/registry/MemoryRegistry.h"
#include "tests/app-core/ScriptedProcedure.h"

namespace corvane::test {

struct ShownMessage {
    Message message;
    bool question = false;
    bool ownerless = false;
    QWidget* owner = nullptr;
    std::function<void()> dismissed;
};

class FakeMessagePresenter : public MessagePresenter {
  public:
    void ShowModal(QWidget* owner, const Message& message) override;
    bool Ask(QWidget* owner, const Message& message) override;
    void CloseQuestion() override {}
    void ShowOwnerless(const Message& message, std::function<void()> dismissed) override;
    // Closes the oldest ownerless box still open.
    void DismissOwnerless();

    std::vector<ShownMessage> shown;
    bool answer = false;  // to every question
    bool dismissAtOnce = false;
    std::function<void()> onShow;

  private:
    void Record(ShownMessage box);
    size_t dismissedCount = 0;
};

class FakeFileChooser : public FileChooser {
  public:
    std::optional<QString> ChooseFile(QWidget*) override { return answer; }
    std::optional<QString> ChooseRecordFile(QWidget*, const QString&) override {
        return recordAnswer;
    }
    std::optional<QString> answer;
    std::optional<QString> recordAnswer;
};

struct RigOptions {
    bool registry = true;  // one whose lookup finds port and rate
    std::string port = "/dev/ttyTEST";
    uint32_t rate = 57600;
    UpdateController::Procedure procedure = {};  // the scripted one when empty
};

// One dialog with fakes around it, shown and initialised.
struct DialogRig {
    explicit DialogRig(RigOptions options = {});
    ~DialogRig();
    DialogServices Services(MessagePresenter* presenter = nullptr);
    template <typename Widget = QPushButton>
    Widget* Control(int id) {
        return dialog->findChild<Widget*>(QString::number(id));
    }

    platform::MemoryRegistry registry;
    FakeFileChooser files;
    FakeMessagePresenter messages;
    ScriptedProcedure procedure;
    UpdateController::Procedure runs;
    std::unique_ptr<UpdateDialog> dialog;
};

// The main dialog on screen, once RunMainDialog has shown it.
UpdateDialog* ShownDialog();

// A file with the given name and content in a fresh directory, removed with the object.
class ScratchFile {
  public:
    ScratchFile(const QString& name, const QByteArray& content);
    QTemporaryDir directory;
    QString path;
};

// Qt Test classes register themselves here; the test program runs them one by one.
std::vector<std::pair<const char*, QObject* (*)()>>& TestClasses();
template <typename T>
struct RegisterTest {
    explicit RegisterTest(const char* name) {
        TestClasses().emplace_back(name, [] { return static_cast<QObject*>(new T); });
    }
};

}  // namespace corvane::test
