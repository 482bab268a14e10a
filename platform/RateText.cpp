#include "platform/RateText.h"

namespace corvane::platform {

std::string RefusedRateText(uint32_t rate) {
    return "does not take the line settings at " + std::to_string(rate) + " baud";
}

std::string RoundedRateText(uint32_t rate, uint32_t held) {
    return "runs at " + std::to_string(held) + " baud when asked for " + std::to_string(rate);
}

}  // namespace corvane::platform
