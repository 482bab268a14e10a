#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/SerialPortList.h"
#include "upload/UploadJob.h"
#include "upload/UploadOutcome.h"

namespace corvane {

// What the record keeps of one update: when and where it ran, on which module, with which file,
// and how it ended.
struct UpdateRecord {
    std::chrono::system_clock::time_point started = {};
    std::chrono::milliseconds duration{0};
    std::string host = {};
    std::string version = CORVANE_VERSION;
    // The port as the update was given it, and what the system knows of the device behind it;
    // each of the three empty where it does not say.
    std::string port = {};
    std::string usbId = {};
    std::string serialNumber = {};
    std::string stableName = {};
    std::string file = {};  // the path as given, UTF-8 where the system's names are
    // What the file held when it was read for the record; empty when it could not be read.
    std::optional<uint64_t> fileSize = std::nullopt;
    std::string fileSha256 = {};
    std::string set = AudioParameterSet;
    // Family, rate, blocks or records written, result, detail and whether the run was stopped.
    UploadOutcome outcome = {};
};

// The record of a finished update: the job and its outcome, the port as the system lists it
// (where it does), this host, and the file's size and digest as they are now.
UpdateRecord RecordOfUpdate(const UploadJob& job, const UploadOutcome& outcome,
                            const std::optional<platform::SerialPortInfo>& port,
                            std::chrono::system_clock::time_point started,
                            std::chrono::milliseconds duration);

// The record as one JSON object on one line, ending in '\n'. Names are kept as they are where
// they are UTF-8; a byte that is no part of a UTF-8 character is written as the four characters
// \xNN. Facts the system did not give are null.
std::string RecordLine(const UpdateRecord& record);

}  // namespace corvane
