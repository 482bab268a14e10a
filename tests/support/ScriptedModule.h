#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/FakeSerialPort.h"

namespace corvane::test {

// A radio module answering on a FakeSerialPort, for tests of the link and of the upload
// procedures. It installs itself as the port's module on construction and reads what the link
// writes byte by byte:
//   - command lines end with '\r'; each byte is echoed at once when `echo` is on;
//   - every line starting with "AT" is answered after `latencyMs` with "\r\nOK\r\n" (or "0\r"
//     when `numeric`), except the block command:
//   - "AT^QBNW=..." is answered as the module `family` does: Text with the prompt "\r\n> ",
//     then it collects text up to Ctrl-Z (echoed when `echo` is on); Binary with
//     "\r\nCONNECT\r\n", then it collects exactly one record, whose length it takes from the
//     record's first two bytes (big-endian, counting themselves); no echo in binary mode;
//   - a complete block is recorded in `blocks` (the text without Ctrl-Z, or the record) and
//     confirmed with "\r\nOK\r\n" / "0\r", or answered "\r\nERROR\r\n" when `refuseBlocks`,
//     or not at all when `ignoreBlocks`;
//   - a line holding a second "AT" (two commands run together) is answered "\r\nERROR\r\n";
//   - `answer`, when set, is asked first for every other command line; a text it returns is
//     sent instead of the usual reply and the module stays in command mode (an empty text means
//     "say nothing"); std::nullopt keeps the usual behaviour. It may change the settings above;
//   - `silent` makes it ignore everything; `onlyAtRate` makes it ignore bytes written while
//     the port runs at another rate, as a real module sees only garbage then.
// Lines that were not understood at the right rate are not recorded.
class ScriptedModule {
  public:
    enum class Family { Text, Binary };

    explicit ScriptedModule(FakeSerialPort& port, Family family = Family::Text);
    ~ScriptedModule();
    ScriptedModule(const ScriptedModule&) = delete;
    ScriptedModule& operator=(const ScriptedModule&) = delete;

    Family family;
    bool echo = true;
    bool numeric = false;
    bool silent = false;
    bool refuseBlocks = false;
    bool ignoreBlocks = false;
    std::optional<uint32_t> onlyAtRate;
    uint64_t latencyMs = 5;
    std::function<std::optional<std::string>(const std::string& line)> answer;

    // Every command line received, with its '\r'.
    std::vector<std::string> commands;
    // Every complete block received.
    std::vector<std::string> blocks;

    // The verbose or numeric result code, as the module's settings give it.
    std::string Ok() const { return numeric ? "0\r" : "\r\nOK\r\n"; }

  private:
    enum class State { Command, TextBlock, BinaryBlock };

    void Receive(std::span<const uint8_t> written);
    void Take(uint8_t byte);
    void EndOfLine();
    void EndOfBlock();
    void Reply(const std::string& text);

    FakeSerialPort& port;
    State state = State::Command;
    std::string pending;
};

}  // namespace corvane::test
