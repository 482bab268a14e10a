#include "sim/ModemModel.h"

#include <charconv>
#include <utility>

namespace corvane::sim {

namespace {

constexpr uint8_t CtrlZ = 26;
constexpr uint8_t Escape = 27;
constexpr size_t LongestCommandLine = 512;
constexpr std::string_view Prompt = "\r\n> ";

bool IsLetter(uint8_t byte, char upper) {
    return byte == upper || byte == upper + ('a' - 'A');
}

// A plain decimal number and nothing else.
bool ParseNumber(std::string_view text, unsigned long& value) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    return !text.empty() && error == std::errc{} && stop == end;
}

// A record's whole length, from its first two bytes (big-endian).
size_t RecordLength(const std::string& record) {
    return static_cast<size_t>(static_cast<uint8_t>(record[0]) << 8) |
           static_cast<uint8_t>(record[1]);
}

std::vector<std::string_view> SplitFields(std::string_view text) {
    std::vector<std::string_view> fields;
    for (size_t comma; (comma = text.find(',')) != std::string_view::npos;) {
        fields.push_back(text.substr(0, comma));
        text.remove_prefix(comma + 1);
    }
    fields.push_back(text);
    return fields;
}

}  // namespace

ModemModel::ModemModel(ModemOptions options) : options(options) {}

std::vector<ModemOutput> ModemModel::Receive(std::span<const uint8_t> bytes, uint32_t rate,
                                             uint64_t timeMs) {
    transcript.push_back({timeMs, rate, std::string(bytes.begin(), bytes.end())});
    std::vector<ModemOutput> outputs;
    const bool understood = options.rate == 0 || rate == options.rate;
    if (!understood) {
        return outputs;
    }
    out = &outputs;
    for (const uint8_t byte : bytes) {
        if (mode == Mode::Gone || mode == Mode::Babbling || Muted()) {
            break;
        }
        if (mode == Mode::Command) {
            TakeCommandByte(byte);
        } else {
            TakeDataByte(byte);
        }
    }
    out = nullptr;
    return outputs;
}

bool ModemModel::PowerOn() {
    if (mode == Mode::Gone) {
        return false;
    }
    mode = Mode::Command;
    lineState = LineState::Idle;
    line.clear();
    lineOverflowed = false;
    data.clear();
    return true;
}

bool ModemModel::Muted() const {
    const std::optional<uint32_t>& after = options.faults.silentAfterCommands;
    return options.faults.silent || (after && commands.size() >= *after);
}

void ModemModel::TakeCommandByte(uint8_t byte) {
    if (options.echo) {
        Emit(std::string_view(reinterpret_cast<const char*>(&byte), 1), 0);
    }
    switch (lineState) {
        case LineState::Idle:
            if (IsLetter(byte, 'A')) {
                lineState = LineState::SawA;
            }
            return;
        case LineState::SawA:
            if (IsLetter(byte, 'T')) {
                lineState = LineState::InLine;
                line = "AT";
                lineOverflowed = false;
            } else if (!IsLetter(byte, 'A')) {
                lineState = LineState::Idle;
            }
            return;
        case LineState::InLine:
            if (byte == '\r') {
                lineState = LineState::Idle;
                Execute(line);
            } else if (line.size() < LongestCommandLine) {
                line.push_back(static_cast<char>(byte));
            } else {
                lineOverflowed = true;
            }
            return;
    }
}

void ModemModel::TakeDataByte(uint8_t byte) {
    if (mode == Mode::Text && byte == Escape) {
        // Ends the text entry without storing anything, the way a terminal user abandons it.
        data.clear();
        mode = Mode::Command;
        return;
    }
    if (mode == Mode::Text && options.echo) {
        Emit(std::string_view(reinterpret_cast<const char*>(&byte), 1), 0);
    }
    if (mode == Mode::Text && byte == CtrlZ) {
        Accept(std::exchange(data, {}));
        return;
    }
    data.push_back(static_cast<char>(byte));
    if (data.size() == options.faults.hangUpInBlock) {
        HangUp();
    } else if (mode == Mode::RecordLength && data.size() == 2) {
        if (RecordLength(data) < 3) {
            data.clear();
            mode = Mode::Command;
            Concern(options.faults.answerTo.empty());
            Reply(Result::Error);
        } else {
            mode = Mode::RecordBody;
        }
    } else if (mode == Mode::RecordBody && data.size() == RecordLength(data)) {
        Accept(std::exchange(data, {}));
    }
}

void ModemModel::Execute(const std::string& received) {
    commands.push_back(received);
    if (const std::string* given = GivenAnswer()) {
        concerned = false;
        Reply(*given);
    } else {
        Concern(received.starts_with(options.faults.answerTo));
        if (concerned && options.faults.answer != Answer::Normal) {
            Misanswer();
        } else {
            Interpret(received);
        }
    }
    if (commands.size() == options.faults.hangUpAfterCommands) {
        HangUp();
    }
}

const std::string* ModemModel::GivenAnswer() const {
    const std::vector<std::optional<std::string>>& given = options.faults.givenAnswers;
    const size_t line = commands.size() - 1;
    return line < given.size() && given[line] ? &*given[line] : nullptr;
}

void ModemModel::Interpret(const std::string& received) {
    if (lineOverflowed) {
        Reply(Result::Error);
        return;
    }
    const std::string_view body = std::string_view(received).substr(2);
    if (body.empty() || body == "^QMSO") {
        Reply(Result::Ok);
    } else if (body.starts_with("^QBNW=")) {
        BlockCommand(body.substr(6));
    } else if (options.family == Family::K47 && body.starts_with("^QNFS=")) {
        unsigned long sets = 0;
        if (!ParseNumber(body.substr(6), sets)) {
            Reply(Result::Error);
            return;
        }
        if (sets == 3) {
            stored.clear();
        }
        Reply(Result::Ok);
    } else {
        Reply(Result::Error);
    }
}

void ModemModel::BlockCommand(std::string_view arguments) {
    const std::vector<std::string_view> fields = SplitFields(arguments);
    const bool named = fields.size() >= 2 && !fields[0].empty() && fields[1] == "0";
    if (!named || (fields.size() != 2 && fields.size() != 4)) {
        Reply(Result::Error);
        return;
    }
    if (options.family == Family::K31 && fields.size() == 2) {
        // The cancel of a set: whatever of an unfinished set was written is dropped.
        if (!setComplete) {
            stored.clear();
        }
        Reply(Result::Ok);
        return;
    }
    const bool blockCommand =
        options.family == Family::K31 ? fields.size() == 4 : fields.size() == 2;
    if (!blockCommand || options.faults.blockError) {
        Reply(Result::Error);
    } else if (options.family == Family::K31 && !options.faults.wrongMarker) {
        TextBlockCommand(fields);
    } else if (options.family == Family::K47 && options.faults.wrongMarker) {
        TextEntry();  // a K47 module has no numbered sets to keep in order
    } else {
        RecordCommand();
    }
}

void ModemModel::TextBlockCommand(const std::vector<std::string_view>& fields) {
    unsigned long block = 0;
    unsigned long total = 0;
    if (!ParseNumber(fields[2], block) || !ParseNumber(fields[3], total) || block == 0 ||
        block > total) {
        Reply(Result::Error);
        return;
    }
    if (block == 1) {
        setName = fields[0];
        declaredBlocks = total;
        setComplete = false;
        stored.clear();
    } else if (fields[0] != setName || total != declaredBlocks || setComplete ||
               block != stored.size() + 1) {
        Reply(Result::Error);
        return;
    }
    TextEntry();
}

void ModemModel::TextEntry() {
    mode = Mode::Text;
    data.clear();
    Reply(Prompt);
}

void ModemModel::RecordCommand() {
    mode = Mode::RecordLength;
    data.clear();
    Reply(Result::Connect);
}

void ModemModel::Accept(std::string accepted) {
    mode = Mode::Command;
    if (options.faults.neverConfirm) {
        return;
    }
    stored.push_back(std::move(accepted));
    if (options.family == Family::K31 && stored.size() == declaredBlocks) {
        setComplete = true;
    }
    // Confirmations answer no command line.
    Concern(options.faults.answerTo.empty());
    Reply(Result::Ok);
    ++confirmedBlocks;
    if (confirmedBlocks == options.faults.hangUpAfterBlocks) {
        HangUp();
    }
}

void ModemModel::Concern(bool selected) {
    concerned = selected && !(options.faults.firstAnswerOnly && faultyAnswers > 0);
    faultyAnswers += concerned ? 1 : 0;
}

void ModemModel::Misanswer() {
    // Long enough to be taken for a reply, short enough to fit any reply buffer.
    constexpr size_t GarbageLength = 48;
    // Repeated without end; long enough that no short pattern shows.
    constexpr size_t EndlessPattern = 997;
    const uint32_t delayMs = options.latencyMs + options.faults.answerDelayMs;
    if (options.faults.answer == Answer::Garbage) {
        Emit(Noise(GarbageLength), delayMs);
    } else if (options.faults.answer == Answer::Endless) {
        out->push_back({.bytes = Noise(EndlessPattern), .delayMs = delayMs, .endless = true});
        mode = Mode::Babbling;
    }
}

void ModemModel::HangUp() {
    out->push_back({.bytes = {}, .delayMs = options.latencyMs, .hangUp = true});
    mode = Mode::Gone;
}

void ModemModel::Emit(std::string_view bytes, uint32_t delayMs) {
    if (bytes.empty()) {
        return;
    }
    const bool joinable = !out->empty() && !out->back().hangUp && !out->back().endless;
    if (joinable && out->back().delayMs == delayMs) {
        out->back().bytes.append(bytes);
    } else {
        out->push_back({.bytes = std::string(bytes), .delayMs = delayMs});
    }
}

void ModemModel::Reply(std::string_view text) {
    // Filler of dots: it must not hold the markers a reply is searched for ("0", "OK").
    const std::string filler(concerned ? options.faults.longReply : 0, '.');
    const uint32_t delayMs = options.latencyMs + (concerned ? options.faults.answerDelayMs : 0);
    Emit(filler + std::string(text), delayMs);
}

void ModemModel::Reply(Result result) {
    static constexpr std::string_view Verbose[] = {"\r\nOK\r\n", "\r\nCONNECT\r\n",
                                                   "\r\nERROR\r\n"};
    static constexpr std::string_view Numeric[] = {"0\r", "1\r", "4\r"};
    const auto index = static_cast<size_t>(result);
    Reply(options.numeric ? Numeric[index] : Verbose[index]);
}

std::string ModemModel::Noise(size_t length) {
    // Without '0', 'O' and '>' no marker can form ("0", "OK", "CONNECT", "\r\n> "), and without
    // zero bytes the whole of it is searched.
    static constexpr std::string_view Excluded("0O>\0", 4);
    std::uniform_int_distribution<int> anyByte(1, 255);
    std::string bytes;
    while (bytes.size() < length) {
        const char byte = static_cast<char>(anyByte(noise));
        if (Excluded.find(byte) == std::string_view::npos) {
            bytes.push_back(byte);
        }
    }
    return bytes;
}

}  // namespace corvane::sim
