#pragma once

#include <cstdint>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sim/ModemOptions.h"

namespace corvane::sim {

// One chunk of bytes as the module received it.
struct TranscriptEntry {
    uint64_t timeMs;  // since the module started
    uint32_t rate;    // the line's rate when the chunk arrived
    std::string bytes;
};

// What the module sends back: bytes after a delay, or (hangUp) the line dropped. Endless bytes
// are sent over and over for as long as the line lasts; nothing queued behind them goes out.
struct ModemOutput {
    std::string bytes;
    uint32_t delayMs = 0;
    bool hangUp = false;
    bool endless = false;
};

// The radio module's side of the AT dialogue, without any I/O: bytes in, outputs back.
//
// Command mode: everything before an "AT" is ignored, a command line runs from "AT" to "\r".
// Known lines: "AT", "AT^QMSO", and per family
//   K31  AT^QBNW=<set>,0,<i>,<n>  prompt "\r\n> ", then text up to Ctrl-Z is block i of n
//                                 (ESC abandons the text); block 1 starts a new set, block i
//                                 must follow block i-1
//        AT^QBNW=<set>,0          cancel: drops the set being written (an unfinished one)
//   K47  AT^QNFS=<n>              OK; n = 3 starts a new set
//        AT^QBNW=<set>,0          "CONNECT", then one record: its first two bytes give its
//                                 whole length, big-endian (at least 3)
// Anything else is answered with ERROR. Accepted data are confirmed with OK.
// The faults of ModemOptions change this; a module that hangs up or falls silent for good only
// records what it receives from then on.
//
// Echo (when on) covers every byte received in command mode and the text typed after the
// prompt, Ctrl-Z included, as a terminal user would see it; binary records are never echoed.
// Bytes that arrive while the line runs at another rate than the module's are garbage to it:
// they are recorded in the transcript and otherwise ignored.
class ModemModel {
  public:
    explicit ModemModel(ModemOptions options);

    std::vector<ModemOutput> Receive(std::span<const uint8_t> bytes, uint32_t rate,
                                     uint64_t timeMs);

    // Its power switched on again: in command mode, with nothing of a command line or a block
    // held, as after any power-on; what it stored stays, as a real module keeps its non-volatile
    // parameters. False, and nothing changes, once the line is hung up.
    bool PowerOn();

    const ModemOptions& Options() const { return options; }
    const std::vector<TranscriptEntry>& Transcript() const { return transcript; }
    // K31: the texts of the blocks of the latest set, in order. K47: the records (length bytes
    // included) accepted since the latest AT^QNFS=3.
    const std::vector<std::string>& StoredSet() const { return stored; }
    // Every command line received at the right rate, in order: from its "AT" (in capitals)
    // up to, not including, its "\r".
    const std::vector<std::string>& Commands() const { return commands; }
    bool HungUp() const { return mode == Mode::Gone; }

  private:
    // Gone: the line is hung up. Babbling: it sends without end and takes nothing in.
    enum class Mode { Command, Text, RecordLength, RecordBody, Gone, Babbling };
    enum class LineState { Idle, SawA, InLine };
    enum class Result { Ok, Connect, Error };

    bool Muted() const;
    void TakeCommandByte(uint8_t byte);
    void TakeDataByte(uint8_t byte);
    void Execute(const std::string& line);
    // What the faults say in place of the latest command line's answer; null: its own answer.
    const std::string* GivenAnswer() const;
    // Decides whether the answer about to be given is one that the answer faults concern.
    void Concern(bool selected);
    void Interpret(const std::string& line);
    // Sends what the answer fault puts in place of an answer.
    void Misanswer();
    void HangUp();
    void BlockCommand(std::string_view arguments);
    void TextBlockCommand(const std::vector<std::string_view>& fields);
    void TextEntry();
    void RecordCommand();
    void Accept(std::string data);

    void Emit(std::string_view bytes, uint32_t delayMs);
    void Reply(std::string_view text);
    void Reply(Result result);
    // Random bytes holding none of the markers that replies are searched for.
    std::string Noise(size_t length);

    ModemOptions options;
    std::vector<ModemOutput>* out = nullptr;  // the outputs of the Receive in progress
    bool concerned = false;                   // see Concern
    uint32_t faultyAnswers = 0;
    std::minstd_rand noise;

    Mode mode = Mode::Command;
    LineState lineState = LineState::Idle;
    std::string line;
    bool lineOverflowed = false;
    std::string data;  // the block text or record being received

    // The K31 set being written.
    std::string setName;
    unsigned long declaredBlocks = 0;
    bool setComplete = false;

    uint32_t confirmedBlocks = 0;
    std::vector<std::string> stored;
    std::vector<std::string> commands;
    std::vector<TranscriptEntry> transcript;
};

}  // namespace corvane::sim
