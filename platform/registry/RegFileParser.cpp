#include "platform/registry/RegFileParser.h"

#include <optional>
#include <string_view>

#include "platform/EscapedBytes.h"
#include "platform/registry/RegistryValues.h"
#include "platform/registry/Utf16.h"

namespace corvane::platform {

namespace {

using Text = std::u16string_view;

constexpr char16_t ByteOrderMark = 0xFEFF;

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

Text Trimmed(Text text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// Value of a hex digit, or -1.
int HexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') {
        return c - u'0';
    }
    if (c >= u'a' && c <= u'f') {
        return c - u'a' + 10;
    }
    if (c >= u'A' && c <= u'F') {
        return c - u'A' + 10;
    }
    return -1;
}

// Reads 1 to maxDigits hex digits from the front of text.
std::optional<uint32_t> TakeHexNumber(Text& text, size_t maxDigits) {
    uint32_t number = 0;
    size_t digits = 0;
    while (digits < text.size() && HexDigit(text[digits]) >= 0) {
        if (++digits > maxDigits) {
            return std::nullopt;
        }
        number = number << 4 | static_cast<uint32_t>(HexDigit(text[digits - 1]));
    }
    if (digits == 0) {
        return std::nullopt;
    }
    text.remove_prefix(digits);
    return number;
}

// Takes the ASCII word from the front of text, in any letter case.
bool TakeWord(Text& text, std::string_view word) {
    if (text.size() < word.size()) {
        return false;
    }
    for (size_t i = 0; i < word.size(); ++i) {
        char16_t c = text[i];
        if (c >= u'A' && c <= u'Z') {
            c = static_cast<char16_t>(c - u'A' + u'a');
        }
        if (c != static_cast<char16_t>(word[i])) {
            return false;
        }
    }
    text.remove_prefix(word.size());
    return true;
}

// True when nothing but blanks or a comment is left.
bool IsLineEnd(Text rest) {
    rest = Trimmed(rest);
    return rest.empty() || rest.front() == u';';
}

std::optional<std::u16string> DecodeText(std::span<const uint8_t> bytes, std::string& error) {
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        if (bytes.size() % 2 != 0) {
            error = "UTF-16 text ends in half a character";
            return std::nullopt;
        }
        std::u16string text;
        text.reserve(bytes.size() / 2 - 1);
        for (size_t i = 2; i < bytes.size(); i += 2) {
            text.push_back(static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8));
        }
        return text;
    }
    if (bytes.size() >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) {
        error = "UTF-16 big-endian text is not supported; save it as UTF-16LE or UTF-8";
        return std::nullopt;
    }
    std::optional<std::u16string> text =
        Utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    if (!text) {
        error = "the file is neither UTF-8 nor UTF-16LE with a byte-order mark";
        return std::nullopt;
    }
    if (!text->empty() && text->front() == ByteOrderMark) {
        text->erase(0, 1);
    }
    return text;
}

class Parser {
  public:
    Parser(Text text, MemoryRegistry& registry, std::string& error)
        : rest(text), registry(registry), error(error) {}

    bool Run() {
        Text line;
        if (!SkipToHeader(line)) {
            return Fail(
                "not a registry file: the first line must be "
                "\"Windows Registry Editor Version 5.00\" or \"REGEDIT4\"");
        }
        while (NextLine(line)) {
            line = Trimmed(line);
            if (line.empty() || line.front() == u';') {
                continue;
            }
            const bool ok = line.front() == u'[' ? KeyLine(line) : ValueLine(line);
            if (!ok) {
                return false;
            }
        }
        return true;
    }

  private:
    bool Fail(const std::string& reason) {
        error = "line " + std::to_string(lineNumber) + ": " + reason;
        return false;
    }

    // CR LF, LF and CR all end a line.
    bool NextLine(Text& line) {
        if (rest.empty()) {
            return false;
        }
        const size_t end = rest.find_first_of(u"\r\n");
        line = rest.substr(0, end);
        if (end == Text::npos) {
            rest = {};
        } else {
            const bool crLf = rest[end] == u'\r' && end + 1 < rest.size() && rest[end + 1] == u'\n';
            rest.remove_prefix(end + (crLf ? 2 : 1));
        }
        ++lineNumber;
        return true;
    }

    bool SkipToHeader(Text& line) {
        while (NextLine(line)) {
            line = Trimmed(line);
            if (!line.empty()) {
                return line == u"Windows Registry Editor Version 5.00" || line == u"REGEDIT4";
            }
        }
        return false;
    }

    bool KeyLine(Text line) {
        if (line.size() < 2 || line.back() != u']') {
            return Fail("a key line must end with ']'");
        }
        Text name = line.substr(1, line.size() - 2);
        const bool deletion = !name.empty() && name.front() == u'-';
        if (deletion) {
            name.remove_prefix(1);
        }
        const size_t separator = name.find(u'\\');
        const std::string rootKey = Utf16ToUtf8(name.substr(0, separator));
        const std::string keyPath =
            separator == Text::npos ? std::string() : Utf16ToUtf8(name.substr(separator + 1));
        if (!MemoryRegistry::CanonicalRoot(rootKey)) {
            return Fail("unknown root key \"" + EscapedText(rootKey) + "\"");
        }
        if (const std::string problem = MemoryRegistry::PathProblem(keyPath); !problem.empty()) {
            return Fail(problem);
        }
        section = deletion ? Section::DeletedKey : Section::Key;
        key = nullptr;
        if (deletion) {
            return registry.DeleteKey(rootKey, keyPath);
        }
        key = registry.CreateKey(rootKey, keyPath);
        return key != nullptr;
    }

    bool ValueLine(Text line) {
        std::u16string name;
        if (line.front() == u'@') {
            line.remove_prefix(1);
        } else if (line.front() != u'"' || !TakeQuoted(line, name)) {
            return Fail(line.front() == u'"' ? "unterminated or badly escaped value name"
                                             : "neither a key, a value nor a comment");
        }
        line = Trimmed(line);
        if (line.empty() || line.front() != u'=') {
            return Fail("'=' expected after the value name");
        }
        if (section == Section::None) {
            return Fail("value outside of a key");
        }
        if (section == Section::DeletedKey) {
            return true;  // regedit ignores the values listed under a deleted key
        }
        line = Trimmed(line.substr(1));
        const std::string valueName = Utf16ToUtf8(name);
        if (line == u"-") {
            MemoryRegistry::DeleteValue(*key, valueName);
            return true;
        }
        RegistryValue value;
        if (!TakeData(line, value)) {
            return false;
        }
        MemoryRegistry::SetValue(*key, valueName, std::move(value));
        return true;
    }

    // Takes "..." from the front of text, resolving \\ and \".
    static bool TakeQuoted(Text& text, std::u16string& out) {
        for (size_t i = 1; i < text.size(); ++i) {
            if (text[i] == u'"') {
                text.remove_prefix(i + 1);
                return true;
            }
            if (text[i] == u'\\') {
                if (++i == text.size() || (text[i] != u'\\' && text[i] != u'"')) {
                    return false;
                }
            }
            out.push_back(text[i]);
        }
        return false;
    }

    bool TakeData(Text data, RegistryValue& value) {
        if (!data.empty() && data.front() == u'"') {
            std::u16string text;
            if (!TakeQuoted(data, text)) {
                return Fail("unterminated or badly escaped text (only \\\\ and \\\" escape)");
            }
            if (!IsLineEnd(data)) {
                return Fail("unexpected characters after the text");
            }
            value = TextValue(text);
            return true;
        }
        if (TakeWord(data, "dword:")) {
            const std::optional<uint32_t> number = TakeHexNumber(data, 8);
            if (!number || !IsLineEnd(data)) {
                return Fail("dword: wants 1 to 8 hex digits");
            }
            value = NumberValue(*number);
            return true;
        }
        if (TakeWord(data, "hex")) {
            return TakeHexData(data, value);
        }
        return Fail("unknown value data (expected \"text\", dword:, hex: or hex(type):)");
    }

    bool TakeHexData(Text data, RegistryValue& value) {
        value.type = REG_BINARY;
        if (!data.empty() && data.front() == u'(') {
            data.remove_prefix(1);
            const std::optional<uint32_t> type = TakeHexNumber(data, 8);
            if (!type || !TakeWord(data, ")")) {
                return Fail("hex(type): wants a hex type number");
            }
            value.type = *type;
        }
        if (!TakeWord(data, ":")) {
            return Fail("':' expected after hex");
        }
        // A line ending in "\" goes on with the next one.
        std::u16string joined(Trimmed(data));
        while (!joined.empty() && joined.back() == u'\\') {
            joined.pop_back();
            Text next;
            if (!NextLine(next)) {
                return Fail("the file ends inside continued hex data");
            }
            joined += Trimmed(next);
        }
        return TakeHexBytes(joined, value);
    }

    bool TakeHexBytes(Text bytes, RegistryValue& value) {
        bytes = Trimmed(bytes);
        while (!bytes.empty() && bytes.front() != u';') {
            const std::optional<uint32_t> byte = TakeHexNumber(bytes, 2);
            if (!byte) {
                return Fail("hex data wants bytes of 1 or 2 hex digits, separated by commas");
            }
            value.data.push_back(static_cast<uint8_t>(*byte));
            bytes = Trimmed(bytes);
            if (!bytes.empty() && bytes.front() == u',') {
                bytes = Trimmed(bytes.substr(1));
            } else if (!IsLineEnd(bytes)) {
                return Fail("',' expected between hex bytes");
            }
        }
        return true;
    }

    Text rest;
    MemoryRegistry& registry;
    std::string& error;
    size_t lineNumber = 0;
    enum class Section { None, Key, DeletedKey } section = Section::None;
    // The key of the latest key line; values go there. A later deletion may remove it, but
    // only through a key line of its own, which replaces it.
    MemoryRegistry::Key* key = nullptr;
};

}  // namespace

bool ParseRegFile(std::span<const uint8_t> bytes, MemoryRegistry& registry, std::string& error) {
    const std::optional<std::u16string> text = DecodeText(bytes, error);
    return text && Parser(*text, registry, error).Run();
}

}  // namespace corvane::platform
