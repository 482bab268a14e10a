#pragma once

#include <string>

namespace corvane::platform {

// Where a station keeps its record when the operator names none, in the user's data folder:
// $XDG_DATA_HOME/corvane/updates.jsonl (~/.local/share/... without it) on Linux,
// %LOCALAPPDATA%\Corvane\updates.jsonl on Windows. UTF-8; the folder may not exist yet. Empty
// when the system names no such folder.
std::string UserRecordPath();

}  // namespace corvane::platform
