#include "line/UpdateRecord.h"

#include <cstdio>
#include <nlohmann/json.hpp>
#include <optional>
#include <string_view>

#include "platform/FileDigest.h"
#include "platform/HostName.h"
#include "platform/registry/Utf16.h"
#include "upload/ResultText.h"

namespace corvane {

namespace {

using Json = nlohmann::ordered_json;

// File and port names on Linux are bytes, which JSON cannot carry; what is UTF-8 stays as it is.
std::string Utf8Text(std::string_view text) {
    std::string kept;
    kept.reserve(text.size());
    while (!text.empty()) {
        const std::optional<platform::Utf8Character> character = platform::FirstUtf8Character(text);
        const size_t length = character ? character->length : 1;
        if (character) {
            kept += text.substr(0, length);
        } else {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<uint8_t>(text[0]));
            kept += escaped;
        }
        text.remove_prefix(length);
    }
    return kept;
}

Json TextOrNull(const std::string& text) {
    return text.empty() ? Json(nullptr) : Json(Utf8Text(text));
}

// "2026-03-14T09:26:53.589Z": UTC, to the millisecond.
std::string IsoTime(std::chrono::system_clock::time_point time) {
    using namespace std::chrono;
    const auto milliseconds = floor<std::chrono::milliseconds>(time);
    const auto day = floor<days>(milliseconds);
    const year_month_day date{day};
    const hh_mm_ss clock{milliseconds - day};
    char text[32];
    std::snprintf(
        text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d.%03dZ", static_cast<int>(date.year()),
        static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
        static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count()),
        static_cast<int>(clock.seconds().count()), static_cast<int>(clock.subseconds().count()));
    return text;
}

}  // namespace

UpdateRecord RecordOfUpdate(const UploadJob& job, const UploadOutcome& outcome,
                            const std::optional<platform::SerialPortInfo>& port,
                            std::chrono::system_clock::time_point started,
                            std::chrono::milliseconds duration) {
    UpdateRecord record{
        .started = started,
        .duration = duration,
        .host = platform::HostName(),
        .port = job.portName,
        .file = job.filePath,
        .set = job.setName,
        .outcome = outcome,
    };
    if (port) {
        record.usbId = port->usbId;
        record.serialNumber = port->serialNumber;
        record.stableName = port->stableName;
    }
    const platform::FileDigest digest = platform::DigestFile(job.filePath);
    if (digest.problem.empty()) {
        record.fileSize = digest.size;
        record.fileSha256 = digest.sha256;
    }
    return record;
}

std::string RecordLine(const UpdateRecord& record) {
    const UploadOutcome& outcome = record.outcome;
    const Json line = {
        {"started", IsoTime(record.started)},
        {"duration_ms", record.duration.count()},
        {"host", TextOrNull(record.host)},
        {"version", record.version},
        {"port", Utf8Text(record.port)},
        {"usb_id", TextOrNull(record.usbId)},
        {"serial", TextOrNull(record.serialNumber)},
        {"stable_name", TextOrNull(record.stableName)},
        {"family", outcome.procedure == UploadProcedure::Text ? "K31" : "K47"},
        {"file", Utf8Text(record.file)},
        {"file_size", record.fileSize ? Json(*record.fileSize) : Json(nullptr)},
        {"file_sha256", TextOrNull(record.fileSha256)},
        {"set", Utf8Text(record.set)},
        {"rate", outcome.rate ? Json(*outcome.rate) : Json(nullptr)},
        {"written", outcome.accepted},
        {"result", static_cast<int>(outcome.code)},
        {"result_text", outcome.code == ResultOk ? SuccessText : ResultMessageText(outcome.code)},
        {"detail", TextOrNull(outcome.detail)},
        {"stopped", outcome.stopped},
    };
    // Every text is UTF-8 by now; the handler only keeps a fault of that from ending the program.
    return line.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace corvane
