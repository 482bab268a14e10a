#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/core/StationView.h"

namespace corvane {

// What a station's command line sets up, in UTF-8: "--port PORT" or "-p PORT" (again for each
// port) for a list of ports, or "--match RULE" (again for each rule) for those the rules pick,
// else every port; "--record FILE", "--baud RATE" and the parameter file.
struct StationArguments {
    PortChoiceText ports;
    std::string recordFile;
    std::optional<uint32_t> baudRate;
    std::string parameterFile;
    // What is wrong with the command line; empty when nothing is.
    std::string wrong;
};

// Reads the arguments that follow the program's name; "--station" among them is passed over.
// Options the window reads before it (--registry, --fullscreen, --version) are not among them.
StationArguments ReadStationArguments(const std::vector<std::string>& arguments);

}  // namespace corvane
