#include "tests/support/ScriptedModule.h"

namespace corvane::test {

namespace {
constexpr uint8_t CtrlZ = 26;
constexpr uint8_t LineEnd = '\r';
}  // namespace

ScriptedModule::ScriptedModule(FakeSerialPort& port, Family family) : family(family), port(port) {
    port.SetModule([this](std::span<const uint8_t> written) { Receive(written); });
}

ScriptedModule::~ScriptedModule() {
    port.SetModule(nullptr);
}

void ScriptedModule::Receive(std::span<const uint8_t> written) {
    if (silent || (onlyAtRate && port.Rate() != *onlyAtRate)) {
        return;
    }
    for (uint8_t byte : written) {
        Take(byte);
    }
}

void ScriptedModule::Take(uint8_t byte) {
    const bool echoed = echo && state != State::BinaryBlock;
    if (echoed) {
        port.Deliver(std::span(&byte, 1));
    }
    pending.push_back(static_cast<char>(byte));
    switch (state) {
        case State::Command:
            if (byte == LineEnd) {
                EndOfLine();
            }
            break;
        case State::TextBlock:
            if (byte == CtrlZ) {
                pending.pop_back();
                EndOfBlock();
            }
            break;
        case State::BinaryBlock:
            if (pending.size() >= 2) {
                const size_t length =
                    (static_cast<uint8_t>(pending[0]) << 8) | static_cast<uint8_t>(pending[1]);
                if (pending.size() >= length) {
                    EndOfBlock();
                }
            }
            break;
    }
}

void ScriptedModule::EndOfLine() {
    std::string line;
    line.swap(pending);
    // Leftovers before "AT" are line noise; a line with two commands run together is an error.
    const size_t at = line.find("AT");
    if (at == std::string::npos) {
        return;
    }
    line.erase(0, at);
    commands.push_back(line);
    if (line.find("AT", 2) != std::string::npos) {
        Reply("\r\nERROR\r\n");
        return;
    }
    if (answer) {
        if (std::optional<std::string> custom = answer(line)) {
            Reply(*custom);
            return;
        }
    }
    if (line.starts_with("AT^QBNW=")) {
        if (family == Family::Text) {
            state = State::TextBlock;
            Reply("\r\n> ");
        } else {
            state = State::BinaryBlock;
            Reply("\r\nCONNECT\r\n");
        }
        return;
    }
    Reply(Ok());
}

void ScriptedModule::EndOfBlock() {
    blocks.push_back(pending);
    pending.clear();
    state = State::Command;
    if (ignoreBlocks) {
        return;
    }
    Reply(refuseBlocks ? std::string("\r\nERROR\r\n") : Ok());
}

void ScriptedModule::Reply(const std::string& text) {
    if (!text.empty()) {
        port.Deliver(text, latencyMs);
    }
}

}  // namespace corvane::test
