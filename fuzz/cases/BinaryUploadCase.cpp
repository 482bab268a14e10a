#include <string_view>

#include "fuzz/cases/Cases.h"
#include "fuzz/cases/UploadJudges.h"
#include "fuzz/cases/UploadRun.h"

namespace corvane::fuzz {

namespace {

constexpr size_t LargestBinaryBlock = 1023;
constexpr char CtrlZ = 26;
constexpr std::string_view RecordCommand = "AT^QBNW=aud,0\r";
constexpr std::string_view Announcements[] = {"AT^QNFS=3\r", "AT^QNFS=1\r"};

// Where the file's next record starts, and the length its field declares.
struct FilePosition {
    size_t offset = 0;
    size_t Declared(std::string_view file) const {
        if (offset + 2 > file.size()) {
            return 0;
        }
        return static_cast<size_t>(static_cast<uint8_t>(file[offset]) << 8 |
                                   static_cast<uint8_t>(file[offset + 1]));
    }
};

// A module in binary mode must get the record exactly as the file holds it, whole.
void ExpectRecord(std::string_view file, FilePosition& position, std::string_view data,
                  Violations& violations) {
    const size_t declared = position.Declared(file);
    Expect(violations, data.size() == declared && data.size() <= LargestBinaryBlock,
           "a binary block of " + std::to_string(data.size()) + " bytes for a record of " +
               std::to_string(declared));
    Expect(violations, file.substr(position.offset, data.size()) == data,
           "a binary block that is not the file's next record");
    position.offset += declared;
}

// A module that prompted for text gets the record's bytes up to its first zero byte, then
// Ctrl-Z: never a byte from beyond the record, such as one left from a longer record before.
void ExpectRecordAsText(std::string_view file, FilePosition& position, std::string_view data,
                        Violations& violations) {
    const size_t declared = position.Declared(file);
    const std::string_view text = data.substr(0, data.empty() ? 0 : data.size() - 1);
    const std::string_view record = file.substr(position.offset, declared);
    Expect(violations,
           data.ends_with(CtrlZ) && text.size() <= record.size() && record.starts_with(text) &&
               text.find('\0') == std::string_view::npos,
           "a text block of " + std::to_string(text.size()) +
               " bytes that is not the beginning of the file's next record");
    position.offset += declared;
}

// Walks the transfer record by record: the announcement the record number calls for, its
// command (once or, on a retry, twice), then its data when the module asked for them. Returns
// how many records went out.
size_t WalkTransfer(std::string_view file, const UploadOutcome& outcome, bool binaryModule,
                    Violations& violations) {
    FilePosition position;
    size_t records = 0;
    size_t commands = 0;  // record commands since the last data
    const WireWrite* previous = nullptr;
    for (size_t i = 0; i < outcome.transfer.size(); ++i) {
        const WireWrite& write = outcome.transfer[i];
        if (EndsTextEntry(outcome.transfer, i)) {
            continue;  // a block command went unanswered
        }
        const bool afterRecordCommand =
            previous != nullptr && previous->command && previous->bytes == RecordCommand;
        if (!write.command) {
            Expect(violations, afterRecordCommand, "data sent without a record command in front");
            ++records;
            commands = 0;
            if (binaryModule) {
                ExpectRecord(file, position, write.bytes, violations);
            } else {
                ExpectRecordAsText(file, position, write.bytes, violations);
            }
        } else if (write.bytes == RecordCommand) {
            ++commands;
            Expect(violations, commands <= 2, "a record command sent more than twice");
            const std::string_view wanted = records < 2 ? Announcements[records] : "";
            const bool announced = previous != nullptr && previous->bytes == wanted;
            Expect(violations, commands > 1 || wanted.empty() || announced,
                   "record " + std::to_string(records + 1) + " was not announced");
        } else if (write.bytes.starts_with("AT^QNFS=")) {
            Expect(violations, records < 2 && write.bytes == Announcements[records],
                   "an announcement out of place: " + write.bytes);
        } else if (write.bytes != SwitchOff) {
            violations.push_back("an unexpected command: " + write.bytes);
        }
        previous = &write;
    }
    if (binaryModule && outcome.result == ResultOk) {
        Expect(violations, position.offset == file.size(),
               "the run succeeded but sent " + std::to_string(position.offset) + " of " +
                   std::to_string(file.size()) + " bytes");
    }
    return records;
}

void ExpectProgressPerRecord(const UploadOutcome& outcome, size_t records, Violations& violations) {
    Expect(violations, outcome.progress.size() == records,
           std::to_string(outcome.progress.size()) + " progress reports for " +
               std::to_string(records) + " records taken");
    uint32_t last = 0;
    for (const auto& [position, range] : outcome.progress) {
        Expect(violations, range == 100 && position >= last && position <= 100,
               "progress went to " + std::to_string(position) + " of " + std::to_string(range));
        last = position;
    }
    if (outcome.result == ResultOk && records > 0) {
        Expect(violations, last == 100, "a finished run did not report 100 %");
    }
}

}  // namespace

Violations JudgeBinaryUpload(std::string_view file, const UploadOutcome& run, ModuleKind module) {
    Violations violations;
    if (module == ModuleKind::OtherFamily) {
        // It prompts for text: records go out as text, and the module's view of them may derail
        // the rest of the exchange.
        ExpectClosedDown(
            run, {ResultOk, ResultInvalidFile, ResultModemRejectedData, ResultWrongModuleType},
            violations);
        WalkTransfer(file, run, false, violations);
        return violations;
    }
    ExpectClosedDown(run, {ResultOk, ResultInvalidFile}, violations);
    ExpectProgressPerRecord(run, WalkTransfer(file, run, true, violations), violations);
    return violations;
}

Violations CheckBinaryUpload(std::span<const uint8_t> input) {
    return UploadToBothFamilies(UploadProcedure::Binary, JudgeBinaryUpload, input,
                                sim::Family::K47);
}

}  // namespace corvane::fuzz
