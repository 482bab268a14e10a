#include "tests/support/ScriptedReplies.h"

namespace corvane::test {

ScriptedReplies::ScriptedReplies(FakeSerialPort& port, std::vector<std::string> replies, bool echo,
                                 uint64_t latencyMs)
    : port(port), replies(std::move(replies)) {
    port.SetModule([this, echo, latencyMs](std::span<const uint8_t> written) {
        if (echo) {
            this->port.Deliver(written);
        }
        if (writes < this->replies.size() && !this->replies[writes].empty()) {
            this->port.Deliver(this->replies[writes], latencyMs);
        }
        ++writes;
    });
}

ScriptedReplies::~ScriptedReplies() {
    port.SetModule(nullptr);
}

}  // namespace corvane::test
