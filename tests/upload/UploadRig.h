#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Platform.h"
#include "sim/ModemOptions.h"
#include "tests/support/BinaryRecord.h"
#include "tests/support/FakeModem.h"
#include "tests/support/FakePlatform.h"
#include "upload/ResultCode.h"
#include "upload/StopRequest.h"
#include "upload/UploadJob.h"
#include "upload/UploadObserver.h"
#include "upload/UploadOutcome.h"

namespace corvane::test {

inline constexpr uint32_t ConfiguredRate = 115200;
inline constexpr const char* PortName = "/dev/ttyS1";
inline const std::string Cancel = "AT^QBNW=aud,0\r";

using Reports = std::vector<std::pair<uint32_t, uint32_t>>;

// What a run does after its last write when it ends with the closing sequence.
std::vector<std::string> ClosingSteps(uint32_t pause);

// The fake port, noting at each close whether the parameter file was still open: the two
// procedures release port and file in an order that depends on how far they got.
class FileWatchingPort : public FakeSerialPort {
  public:
    FileWatchingPort(FakePlatform& fake, std::string path)
        : FakeSerialPort(fake.clock, fake.log), path(std::move(path)) {}
    void Close() override;
    size_t Write(std::span<const uint8_t> bytes) override;

    std::vector<bool> fileOpenAtClose;
    // Called after each write has reached the module: lets a test act at a given point of the
    // dialogue.
    std::function<void()> afterWrite;

  private:
    std::string path;
};

// One run's surroundings: the parameter file in a fresh directory, a fake platform with a power
// library, the virtual module, a stop request and an observer that records the progress reports.
class UploadRig : public UploadObserver {
  public:
    UploadRig(std::string_view content, sim::ModemOptions module);
    ~UploadRig() override;

    // The result code of one run of the procedure on the file at path.
    ResultCode Run(UploadProcedure procedure, const std::string& path,
                   const std::string& setName = "aud");
    ResultCode Run(UploadProcedure procedure) { return Run(procedure, filePath); }
    // One run of the job as it stands.
    UploadOutcome Run(const UploadJob& job);

    void Progress(uint32_t position, uint32_t range) override;
    void Finished(const UploadOutcome& outcome) override;
    // The bytes of every write to the port, in order.
    std::vector<std::string> Writes() const;
    // What happened after the last write, without the exchange's own short pauses and purges.
    std::vector<std::string> StepsAfterLastWrite() const;
    // The block commands the module received, the cancel command included, each with its '\r'.
    std::vector<std::string> BlockCommands() const;
    // What the module holds of the parameter set it was given.
    const std::vector<std::string>& Stored() const { return module.Model().StoredSet(); }
    size_t Count(const std::string& eventLine) const;
    bool FileStillOpen() const;

    std::string directory;
    std::string filePath;
    FakePlatform fake;
    FileWatchingPort port;
    platform::Platform platform;
    FakeModem module;
    StopRequest stop;
    Reports reports;
    // Called after each progress report is recorded: lets a test act at a block boundary.
    std::function<void()> afterReport;
    // How the last run ended, and how often runs told their outcome.
    UploadOutcome outcome;
    int finished = 0;
};

}  // namespace corvane::test
