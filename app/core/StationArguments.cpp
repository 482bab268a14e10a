#include "app/core/StationArguments.h"

#include "platform/RateText.h"

namespace corvane {

StationArguments ReadStationArguments(const std::vector<std::string>& arguments) {
    StationArguments given;
    std::vector<std::string> ports;
    std::vector<std::string> rules;
    for (size_t i = 0; i < arguments.size() && given.wrong.empty(); ++i) {
        const std::string& argument = arguments[i];
        const bool takesValue = argument == "-p" || argument == "--port" || argument == "--match" ||
                                argument == "--record" || argument == "-b" || argument == "--baud";
        if (argument == "--station") {
            continue;
        }
        if (takesValue && i + 1 == arguments.size()) {
            given.wrong = "Missing value after '" + argument + "'.";
            break;
        }
        if (argument == "-p" || argument == "--port") {
            ports.push_back(arguments[++i]);
        } else if (argument == "--match") {
            rules.push_back(arguments[++i]);
        } else if (argument == "--record") {
            given.recordFile = arguments[++i];
        } else if (argument == "-b" || argument == "--baud") {
            given.baudRate = platform::ParseBaudRate(arguments[++i]);
            if (!given.baudRate) {
                given.wrong = std::string("--baud: ") + platform::BaudRateRule;
            }
        } else if (argument.size() > 1 && argument[0] == '-') {
            given.wrong = "Unknown option '" + argument + "'.";
        } else if (!given.parameterFile.empty()) {
            given.wrong = "Unexpected argument: " + argument;
        } else {
            given.parameterFile = argument;
        }
    }
    if (!ports.empty() && !rules.empty()) {
        given.wrong = "--port and --match do not go together: name the ports, or match them.";
    }
    const std::vector<std::string>& words = ports.empty() ? rules : ports;
    for (const std::string& word : words) {
        given.ports.text += (given.ports.text.empty() ? "" : " ") + word;
    }
    given.ports.kind = !ports.empty()   ? PortChoiceText::Kind::List
                       : !rules.empty() ? PortChoiceText::Kind::Match
                                        : PortChoiceText::Kind::All;
    return given;
}

}  // namespace corvane
