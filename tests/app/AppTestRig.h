#pragma once

#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

#include "app/FileChooser.h"
#include "app/MessagePresenter.h"
#include "app/UpdateDialog.h"
#include "app/UpdateRunner.h"
#include "platform/registry/MemoryRegistry.h"

namespace corvane::test {

struct ShownMessage {
    Message message;
    bool modal = false;
    QWidget* owner = nullptr;
    bool waitCursor = false;  // the wait cursor was on when it appeared
    std::function<void()> dismissed;
};

class FakeMessagePresenter : public MessagePresenter {
  public:
    void ShowModal(QWidget* owner, const Message& message) override;
    void ShowOwnerless(const Message& message, std::function<void()> dismissed) override;
    // Closes the oldest ownerless box still open.
    void DismissOwnerless();

    std::vector<ShownMessage> shown;
    bool dismissAtOnce = false;
    std::function<void()> onShow;

  private:
    size_t dismissedCount = 0;
};

class FakeFileChooser : public FileChooser {
  public:
    std::optional<QString> ChooseFile(QWidget*) override { return answer; }
    std::optional<QString> answer;
};

// Stands in for the upload: reports progress, optionally stops until released, returns a code.
// Set it up before the update starts.
class ScriptedProcedure {
  public:
    UpdateWorker::Procedure Procedure();
    void Release();
    bool Entered() const { return entered; }
    int Runs() const { return runs; }
    UploadJob LastRequest();

    std::vector<std::pair<uint32_t, uint32_t>> reports;
    bool hold = false;
    ResultCode code = ResultOk;

  private:
    std::mutex mutex;
    std::condition_variable released;
    bool open = false;
    UploadJob lastRequest;
    std::atomic<bool> entered = false;
    std::atomic<int> runs = 0;
};

struct RigOptions {
    bool registry = true;  // one whose lookup finds port and rate
    std::string port = "/dev/ttyTEST";
    uint32_t rate = 57600;
    UpdateWorker::Procedure procedure = {};  // the scripted one when empty
};

// One dialog with fakes around it, shown and initialised.
struct DialogRig {
    explicit DialogRig(RigOptions options = {});
    ~DialogRig();
    template <typename Widget = QPushButton>
    Widget* Control(int id) {
        return dialog->findChild<Widget*>(QString::number(id));
    }

    platform::MemoryRegistry registry;
    FakeFileChooser files;
    FakeMessagePresenter messages;
    ScriptedProcedure procedure;
    UpdateRunner updates;
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
