#include "tests/upload/UploadRig.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>

#include <gtest/gtest.h>

#include "upload/RunUpload.h"

namespace corvane::test {

namespace {

std::string MakeDirectory() {
    std::random_device random;
    for (;;) {
        const std::filesystem::path directory =
            std::filesystem::temp_directory_path() / ("corvane-upload-" + std::to_string(random()));
        if (std::filesystem::create_directory(directory)) {
            return directory.generic_string();
        }
    }
}

#ifdef _WIN32
// The program's own streams share the file for reading and writing: a handle that shares
// nothing is refused while one of them is open.
bool IsOpenInProcess(const std::string& path) {
    const HANDLE probe = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe == INVALID_HANDLE_VALUE) {
        return GetLastError() == ERROR_SHARING_VIOLATION;
    }
    CloseHandle(probe);
    return false;
}
#else
bool IsOpenInProcess(const std::string& path) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", error)) {
        if (std::filesystem::read_symlink(entry.path(), error) == path) {
            return true;
        }
    }
    return false;
}
#endif

}  // namespace

std::vector<std::string> ClosingSteps(uint32_t pause) {
    return {"Sleep " + std::to_string(pause), "Call RHA_RadioPwrOff", "Close", "Call RHA_DeInit",
            "Free RHA.DLL"};
}

void FileWatchingPort::Close() {
    fileOpenAtClose.push_back(IsOpenInProcess(path));
    FakeSerialPort::Close();
}

size_t FileWatchingPort::Write(std::span<const uint8_t> bytes) {
    const size_t written = FakeSerialPort::Write(bytes);
    if (afterWrite) {
        afterWrite();
    }
    return written;
}

UploadRig::UploadRig(std::string_view content, sim::ModemOptions options)
    : directory(MakeDirectory()),
      filePath(directory + "/set.prm"),
      port(fake, filePath),
      platform{port, fake.clock, fake.libraries},
      module(port, std::move(options)) {
    std::FILE* file = std::fopen(filePath.c_str(), "wb");
    std::fwrite(content.data(), 1, content.size(), file);
    std::fclose(file);
    fake.libraries.Install("RHA.DLL");
}

UploadRig::~UploadRig() {
    EXPECT_FALSE(port.IsOpen()) << "the port was left open";
    std::error_code ignored;
    std::filesystem::remove_all(directory, ignored);
}

ResultCode UploadRig::Run(UploadProcedure procedure, const std::string& path,
                          const std::string& setName) {
    return Run({.procedure = procedure,
                .setName = setName,
                .filePath = path,
                .portName = PortName,
                .baudRate = ConfiguredRate})
        .code;
}

UploadOutcome UploadRig::Run(const UploadJob& job) {
    outcome = RunUpload({job, *this, stop, platform});
    return outcome;
}

void UploadRig::Progress(uint32_t position, uint32_t range) {
    reports.emplace_back(position, range);
    if (afterReport) {
        afterReport();
    }
}

void UploadRig::Finished(const UploadOutcome& /*outcome*/) {
    ++finished;
}

std::vector<std::string> UploadRig::Writes() const {
    std::vector<std::string> writes;
    for (const Event& event : fake.log.OfKind(EventKind::Write)) {
        writes.push_back(event.text);
    }
    return writes;
}

std::vector<std::string> UploadRig::StepsAfterLastWrite() const {
    const std::vector<Event>& events = fake.log.Events();
    auto last = std::find_if(events.rbegin(), events.rend(),
                             [](const Event& e) { return e.kind == EventKind::Write; });
    std::vector<std::string> steps;
    for (auto event = last.base(); event != events.end(); ++event) {
        const bool exchangePause = event->kind == EventKind::Sleep && event->value < 100;
        if (!exchangePause && event->kind != EventKind::Purge) {
            steps.push_back(Describe(*event));
        }
    }
    return steps;
}

std::vector<std::string> UploadRig::BlockCommands() const {
    std::vector<std::string> commands;
    for (const std::string& command : module.Model().Commands()) {
        if (command.starts_with("AT^QBNW=")) {
            commands.push_back(command + '\r');
        }
    }
    return commands;
}

size_t UploadRig::Count(const std::string& eventLine) const {
    const std::vector<std::string> lines = fake.log.Lines();
    return static_cast<size_t>(std::count(lines.begin(), lines.end(), eventLine));
}

bool UploadRig::FileStillOpen() const {
    return IsOpenInProcess(filePath);
}

}  // namespace corvane::test
