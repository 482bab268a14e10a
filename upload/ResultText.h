#pragma once

#include <cstdint>
#include <string>

#include "upload/UploadOutcome.h"

namespace corvane {

inline constexpr const char* SuccessText = "Audio Parameter Update successfull";

// The operator's words for a result code; empty for 0 and for codes outside 0..7.
const char* ResultMessageText(int code);

// "Audio Parameter Update failed!\r\nError code: <code>\r" with the code's words directly behind
// the last "\r" (nothing for codes without words).
std::string FailureText(int code);

// "1 block", "3 blocks": a count with its unit, plural when it is not one.
std::string Counted(uint64_t count, const char* unit);

// What a stopped run had written: "Audio Parameter Update stopped!\r\n" and the blocks (with
// their lines) or records (with the share of the file) the module accepted before the stop.
std::string StoppedText(const UploadOutcome& outcome);

}  // namespace corvane
