#include "fuzz/cases/UploadRun.h"

#include <algorithm>

#include "fuzz/cases/ScratchFile.h"
#include "tests/support/FakeModem.h"
#include "tests/support/FakePlatform.h"
#include "upload/RunUpload.h"

namespace corvane::fuzz {

namespace {

constexpr const char* Handshake = "AT\r";

std::vector<WireWrite> WritesAfterHandshake(const test::EventLog& log) {
    std::vector<WireWrite> writes = WritesSince(log);
    // Probes and handshake attempts are all "AT\r": the transfer begins after the last one.
    const auto last = std::find_if(writes.rbegin(), writes.rend(), [](const WireWrite& w) {
        return w.command && w.bytes == Handshake;
    });
    writes.erase(writes.begin(), last.base());
    return writes;
}

}  // namespace

UploadOutcome RunUpload(UploadProcedure procedure, std::span<const uint8_t> file,
                        sim::Family family, ModuleKind kind) {
    const std::string& path = WriteScratchFile(file);
    test::FakePlatform fake;
    // The case judges the release itself and reports it as a violation.
    fake.expectReleased = false;
    fake.libraries.Install("RHA.DLL");
    const bool sameFamily = kind == ModuleKind::SameFamily;
    test::FakeModem module(
        fake.port, {.family = family, .echo = sameFamily, .faults = {.wrongMarker = !sameFamily}});

    UploadOutcome outcome;
    struct Recorder final : UploadObserver {
        explicit Recorder(UploadOutcome& outcome) : outcome(outcome) {}
        void Progress(uint32_t position, uint32_t range) override {
            outcome.progress.emplace_back(position, range);
        }
        UploadOutcome& outcome;
    } recorder(outcome);
    StopRequest stop;
    const UploadJob job{.procedure = procedure,
                        .setName = SetName,
                        .filePath = path,
                        .portName = "COM1:",
                        .baudRate = 115200};
    outcome.result = corvane::RunUpload({job, recorder, stop, fake.platform}).code;
    outcome.transfer = WritesAfterHandshake(fake.log);
    outcome.portClosed = !fake.port.IsOpen();
    outcome.libraryReleased = fake.libraries.Loaded() == 0;
    return outcome;
}

Violations UploadToBothFamilies(UploadProcedure procedure, Judge judge,
                                std::span<const uint8_t> file, sim::Family family) {
    const std::string_view text(reinterpret_cast<const char*>(file.data()), file.size());
    Violations violations = judge(text, RunUpload(procedure, file, family, ModuleKind::SameFamily),
                                  ModuleKind::SameFamily);
    const Violations other = judge(
        text, RunUpload(procedure, file, family, ModuleKind::OtherFamily), ModuleKind::OtherFamily);
    violations.insert(violations.end(), other.begin(), other.end());
    return violations;
}

void ExpectClosedDown(const UploadOutcome& outcome, std::initializer_list<ResultCode> results,
                      Violations& violations) {
    Expect(violations, std::find(results.begin(), results.end(), outcome.result) != results.end(),
           "result " + std::to_string(outcome.result) + " is not one this run can give");
    Expect(violations,
           !outcome.transfer.empty() && outcome.transfer.back().command &&
               outcome.transfer.back().bytes == SwitchOff,
           "the module was not switched off last");
    Expect(violations, outcome.portClosed, "the port was left open");
    Expect(violations, outcome.libraryReleased, "the power library was left loaded");
}

}  // namespace corvane::fuzz
