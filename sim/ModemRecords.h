#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "sim/ModemModel.h"

namespace corvane::sim {

// Bytes as readable text: printable ASCII as it is, backslash doubled, \r and \n, others \xNN.
std::string EscapeBytes(std::string_view bytes);

// One line per received chunk: "<ms> <rate> <escaped bytes>".
bool WriteTranscript(const std::string& path, const std::vector<TranscriptEntry>& transcript);

// K31: one block text per line. K47: the records back to back, byte for byte as the parameter
// file holds them, so the file can be compared with it.
bool WriteStoredSet(const std::string& path, Family family, const std::vector<std::string>& set);

}  // namespace corvane::sim
