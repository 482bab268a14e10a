#include "line/PortSelection.h"

#include <algorithm>

namespace corvane::line {

namespace {

std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    for (const char c : text + ' ') {
        if (c == ' ' || c == ',' || c == '\t' || c == '\n' || c == '\r') {
            if (!word.empty()) {
                words.push_back(word);
            }
            word.clear();
        } else {
            word += c;
        }
    }
    return words;
}

}  // namespace

std::optional<std::vector<PortRule>> ParsePortRules(const std::string& text, std::string& problem) {
    std::vector<PortRule> rules;
    for (const std::string& word : Words(text)) {
        std::string why;
        const std::optional<PortRule> rule = ParsePortRule(word, why);
        if (!rule) {
            problem = word + ": " + why;
            return std::nullopt;
        }
        rules.push_back(*rule);
    }
    return rules;
}

std::vector<std::string> PortNames(const std::string& text) {
    return Words(text);
}

std::vector<platform::SerialPortInfo> PortSelection::Now(bool onlyPresent) const {
    const std::vector<platform::SerialPortInfo> listed = source.listed();
    std::vector<platform::SerialPortInfo> candidates;
    if (!choice.names.empty()) {
        for (const std::string& name : choice.names) {
            const std::optional<platform::SerialPortInfo> port = Listed(name, listed);
            if (!onlyPresent || port || !source.existing(name).empty()) {
                candidates.push_back(port.value_or(platform::SerialPortInfo{.device = name}));
            }
        }
    } else {
        candidates = listed;
        for (const PortRule& rule : choice.rules) {
            if (rule.kind != PortRule::Kind::Glob) {
                continue;
            }
            for (const std::string& path : source.existing(rule.text)) {
                const bool known = std::any_of(candidates.begin(), candidates.end(),
                                               [&path](const platform::SerialPortInfo& port) {
                                                   return platform::NamesPort(path, port);
                                               });
                if (!known) {
                    candidates.push_back({.device = path});
                }
            }
        }
    }
    std::erase_if(candidates, [this](const platform::SerialPortInfo& port) {
        return !PicksAny(choice.rules, port);
    });
    return candidates;
}

}  // namespace corvane::line
