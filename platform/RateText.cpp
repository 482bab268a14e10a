#include "platform/RateText.h"

namespace corvane::platform {

std::optional<uint32_t> ParseBaudRate(const std::string& text) {
    if (text.empty() || text.size() > 10) {
        return std::nullopt;
    }
    uint64_t rate = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        rate = rate * 10 + static_cast<uint64_t>(c - '0');
    }
    if (rate == 0 || rate > UINT32_MAX) {
        return std::nullopt;
    }
    return static_cast<uint32_t>(rate);
}

std::string RefusedRateText(uint32_t rate) {
    return "does not take the line settings at " + std::to_string(rate) + " baud";
}

std::string RoundedRateText(uint32_t rate, uint32_t held) {
    return "runs at " + std::to_string(held) + " baud when asked for " + std::to_string(rate);
}

}  // namespace corvane::platform
