#include "fuzz/cases/UploadRun.h"

#include <algorithm>

#include "fuzz/cases/ScratchFile.h"
#include "link/RadioPowerLibrary.h"
#include "tests/support/FakeModem.h"
#include "tests/support/FakePlatform.h"

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

UploadOutcome RunUpload(Procedure procedure, std::span<const uint8_t> file, sim::Family family,
                        ModuleKind kind) {
    const std::string& path = WriteScratchFile(file);
    test::FakePlatform fake;
    // The case judges the release itself and reports it as a violation.
    fake.expectReleased = false;
    fake.libraries.Install("RHA.DLL");
    const bool sameFamily = kind == ModuleKind::SameFamily;
    test::FakeModem module(
        fake.port, {.family = family, .echo = sameFamily, .faults = {.wrongMarker = !sameFamily}});

    UploadOutcome outcome;
    outcome.result = procedure(fake.platform, path, [&](uint32_t position, uint32_t range) {
        outcome.progress.emplace_back(position, range);
        return 1;
    });
    outcome.transfer = WritesAfterHandshake(fake.log);
    outcome.portClosed = !fake.port.IsOpen();
    outcome.libraryReleased = fake.libraries.Loaded() == 0 && RadioPowerLibrary::library == nullptr;
    return outcome;
}

Violations UploadToBothFamilies(Procedure procedure, Judge judge, std::span<const uint8_t> file,
                                sim::Family family) {
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
