#include "line/LineUpdate.h"

#include "platform/SystemPlatform.h"

namespace corvane::line {

namespace {

class NoLibraries : public platform::LibraryLoader {
  public:
    platform::LibraryHandle Load(const char* /*fileName*/) override { return nullptr; }
    platform::EntryPoint Find(platform::LibraryHandle /*library*/, const char* /*name*/) override {
        return nullptr;
    }
    void Free(platform::LibraryHandle /*library*/) override {}
};

}  // namespace

UploadOutcome RunLineUpdate(const UploadJob& job, UploadObserver& observer, StopRequest& stop) {
    platform::SystemPlatform system;
    NoLibraries none;
    platform::Platform platform{system.Get().port, system.Get().clock, none};
    return RunUpload({job, observer, stop, platform});
}

}  // namespace corvane::line
