#include <array>
#include <string_view>

#include "link/LinkTiming.h"
#include "link/ModuleLink.h"
#include "link/ReplyText.h"

namespace corvane {

namespace {
// Probed after the configured rate, in this order.
constexpr std::array<uint32_t, 5> OtherCandidates = {230400, 115200, 57600, 38400, 19200};
}  // namespace

RateProbeOrder::RateProbeOrder(uint32_t configuredRate) {
    static_assert(std::tuple_size_v<decltype(rates)> == OtherCandidates.size() + 1);
    rates[count++] = configuredRate;
    for (const uint32_t candidate : OtherCandidates) {
        if (candidate != configuredRate) {
            rates[count++] = candidate;
        }
    }
}

std::optional<uint32_t> ModuleLink::DetectBaudRate(uint32_t configuredRate,
                                                   const std::function<bool()>& stopped) {
    probeEcho = {};
    const std::optional<uint32_t> rate = SearchRate(configuredRate, stopped);
    echoes = rate ? probeEcho.inAnswer : probeEcho.anywhere;
    return rate;
}

std::optional<uint32_t> ModuleLink::SearchRate(uint32_t configuredRate,
                                               const std::function<bool()>& stopped) {
    // The search takes seconds: whoever waits for it may give up before any of its steps.
    const auto stopHere = [&stopped] { return stopped && stopped(); };
    const RateProbeOrder order(configuredRate);
    for (int pass = 0; pass < RateSearchPasses; ++pass) {
        if (stopHere()) {
            return std::nullopt;
        }
        // A module that missed its power-up or hung in a data mode gets a fresh start each pass.
        PowerOnAndReset();
        if (AnswersProbeAt(configuredRate)) {
            return configuredRate;
        }
        for (const uint32_t candidate : order.Rates().subspan(1)) {
            if (stopHere()) {
                return std::nullopt;
            }
            if (!AnswersProbeAt(candidate)) {
                continue;
            }
            if (stopHere()) {
                return std::nullopt;
            }
            // The configured rate is preferred whenever the module takes it after all.
            if (AnswersProbeAt(configuredRate)) {
                return configuredRate;
            }
            SetBaudRate(candidate);
            return candidate;
        }
    }
    return std::nullopt;
}

bool ModuleLink::AnswersProbeAt(uint32_t rate) {
    static constexpr uint8_t Probe[] = {'A', 'T', '\r'};
    SetBaudRate(rate);
    Purge();
    Write(Probe, sizeof Probe);
    platform.clock.Sleep(link_timing::ProbeAnswer);
    char answer[ReplyBufferSize];
    CaptureUntilSilence(answer, 0);
    // The echo of the probe stays in the answer: "0" anywhere counts.
    const bool answered = reply_text::SaysOk(answer, "OK\r\n");
    const bool echoed = reply_text::Contains(answer, "AT\r");
    probeEcho.anywhere = probeEcho.anywhere || echoed;
    if (answered) {
        // Without echo the answer stands first ("\r\nOK\r\n", "0\r"). Anything else, a garbled
        // echo included, is taken for echo: an echo read as the reply would end the wait for
        // the real one.
        const std::string_view text = reply_text::Text(answer);
        probeEcho.inAnswer = echoed || !(text.starts_with("0") || text.starts_with("\r\n"));
    }
    return answered;
}

}  // namespace corvane
