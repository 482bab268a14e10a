#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "sim/ModemOptions.h"
#include "tests/cli/ScratchDirectory.h"

namespace corvane::cli {

inline const std::string TextSample = CORVANE_SAMPLES_DIR "/k31-audio.prm";
inline const std::string BinarySample = CORVANE_SAMPLES_DIR "/k47-audio.prm";

// The environment in which corvane-update finds the virtual module's stand-in power library,
// and so switches the module on as it would a real one.
inline const std::vector<std::string> WithModulePower = {
    "LD_LIBRARY_PATH=" CORVANE_MODEMSIM_POWER_DIR};

// What a module must hold after the sample of its family went in whole. Text: the data lines
// (every non-empty line after the header), two to a block. Binary: the file's records.
inline std::vector<std::string> ExpectedSet(sim::Family family) {
    if (family == sim::Family::K47) {
        const std::string records = FileContents(BinarySample);
        return {records.substr(0, 11), records.substr(11, 66), records.substr(77, 302),
                records.substr(379)};
    }
    std::vector<std::string> lines;
    std::istringstream text(FileContents(TextSample));
    for (std::string line; std::getline(text, line);) {
        line.erase(line.find_last_not_of('\r') + 1);
        if (!line.empty()) {
            lines.push_back(line);
        }
    }
    std::vector<std::string> blocks;
    for (size_t i = 1; i < lines.size(); i += 2) {
        blocks.push_back(lines[i] + (i + 1 < lines.size() ? lines[i + 1] : ""));
    }
    return blocks;
}

}  // namespace corvane::cli
