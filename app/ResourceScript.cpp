#include "app/ResourceScript.h"

#include <algorithm>
#include <cctype>
#include <limits>

namespace corvane {
namespace {

enum class TokenKind { Number, String, Word, Comma, End };

struct Token {
    TokenKind kind = TokenKind::End;
    int line = 0;
    int64_t number = 0;
    std::string text;  // a string's value or a word

    Token(TokenKind kind, int line, int64_t number = 0, std::string text = {})
        : kind(kind), line(line), number(number), text(std::move(text)) {}
};

std::string AtLine(int line, std::string_view reason) {
    return "line " + std::to_string(line) + ": " + std::string(reason);
}

bool IsDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

bool IsWordChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

int DigitValue(char c) {
    if (IsDigit(c)) {
        return c - '0';
    }
    const int lower = std::tolower(static_cast<unsigned char>(c));
    return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

class Tokenizer {
  public:
    Tokenizer(std::string_view text, int& line, std::vector<Token>& tokens, std::string& error)
        : text(text), line(line), tokens(tokens), error(error) {}

    bool Read(std::span<const ScriptMacro> macros) {
        while (at < text.size()) {
            const char c = text[at];
            if (c == '\n') {
                ++line;
                ++at;
            } else if (c == ' ' || c == '\t' || c == '\r') {
                ++at;
            } else if (text.substr(at, 2) == "//") {
                at = std::min(text.find('\n', at), text.size());
            } else if (c == ',') {
                tokens.emplace_back(TokenKind::Comma, line);
                ++at;
            } else if (c == '"') {
                if (!String()) {
                    return false;
                }
            } else if (IsDigit(c) || (c == '-' && at + 1 < text.size() && IsDigit(text[at + 1]))) {
                if (!Number()) {
                    return false;
                }
            } else if (IsWordChar(c)) {
                if (!Word(macros)) {
                    return false;
                }
            } else {
                return Fail(std::string("unexpected character '") + c + "'");
            }
        }
        return true;
    }

  private:
    bool Fail(std::string_view reason) {
        error = AtLine(line, reason);
        return false;
    }

    bool String() {
        Token token(TokenKind::String, line);
        for (++at;; ++at) {
            if (at == text.size() || text[at] == '\n') {
                return Fail("a string must end on its own line");
            }
            if (text[at] == '\\') {
                return Fail("backslash escapes are not read; write the character itself");
            }
            if (text[at] == '"') {
                // A doubled quote stands for one.
                if (at + 1 < text.size() && text[at + 1] == '"') {
                    ++at;
                } else {
                    break;
                }
            }
            token.text += text[at];
        }
        ++at;
        tokens.push_back(std::move(token));
        return true;
    }

    bool Number() {
        const bool negative = text[at] == '-';
        at += negative ? 1 : 0;
        int base = 10;
        if (text.substr(at, 2) == "0x" || text.substr(at, 2) == "0X") {
            base = 16;
            at += 2;
        }
        const size_t first = at;
        uint64_t value = 0;
        for (; at < text.size() && IsWordChar(text[at]); ++at) {
            const int digit = DigitValue(text[at]);
            if (digit < 0 || digit >= base) {
                return Fail("malformed number");
            }
            value = value * base + digit;
            if (value > std::numeric_limits<uint32_t>::max()) {
                return Fail("number out of range");
            }
        }
        if (at == first) {
            return Fail("malformed number");
        }
        const auto magnitude = static_cast<int64_t>(value);
        tokens.emplace_back(TokenKind::Number, line, negative ? -magnitude : magnitude);
        return true;
    }

    bool Word(std::span<const ScriptMacro> macros) {
        const size_t first = at;
        while (at < text.size() && IsWordChar(text[at])) {
            ++at;
        }
        const std::string_view word = text.substr(first, at - first);
        for (const ScriptMacro& macro : macros) {
            if (macro.name == word) {
                // Its text stands where its name stood, on the same line, and is not expanded
                // again.
                int macroLine = line;
                if (!Tokenizer(macro.replacement, macroLine, tokens, error).Read({})) {
                    return Fail("in " + std::string(word) + ": " +
                                error.substr(error.find(": ") + 2));
                }
                return true;
            }
        }
        tokens.emplace_back(TokenKind::Word, line, 0, std::string(word));
        return true;
    }

    std::string_view text;
    size_t at = 0;
    int& line;
    std::vector<Token>& tokens;
    std::string& error;
};

std::string Describe(const Token& token) {
    switch (token.kind) {
        case TokenKind::Number:
            return "the number " + std::to_string(token.number);
        case TokenKind::String:
            return "\"" + token.text + "\"";
        case TokenKind::Word:
            return token.text;
        case TokenKind::Comma:
            return "','";
        case TokenKind::End:
            break;
    }
    return "the end of the file";
}

class Parser {
  public:
    Parser(const std::vector<Token>& tokens, std::string& error) : tokens(tokens), error(error) {}

    bool Script(ResourceScript& script) {
        while (Peek().kind != TokenKind::End) {
            int id = 0;
            if (!Number("a resource id", id, 1, 0xFFFF)) {
                return false;
            }
            const Token& type = Take();
            if (type.kind != TokenKind::Word) {
                return Expected(type, "a resource type");
            }
            bool read = false;
            if (type.text == "ICON") {
                read = Icon(id, script.icons.emplace_back());
            } else if (type.text == "DIALOGEX") {
                read = Dialog(id, script.dialogs.emplace_back());
            } else if (type.text == "VERSIONINFO") {
                read = Version(id, script.versions.emplace_back());
            } else {
                return Fail(type, "resources of type " + type.text + " are not read");
            }
            if (!read) {
                return false;
            }
        }
        return true;
    }

  private:
    const Token& Peek() const { return tokens[at]; }

    const Token& Take() {
        const Token& token = tokens[at];
        if (token.kind != TokenKind::End) {
            ++at;
        }
        return token;
    }

    bool Fail(const Token& token, std::string_view reason) {
        error = AtLine(token.line, reason);
        return false;
    }

    bool Expected(const Token& token, std::string_view what) {
        return Fail(token, "expected " + std::string(what) + ", found " + Describe(token));
    }

    bool AtWord(std::string_view word) const {
        return Peek().kind == TokenKind::Word && Peek().text == word;
    }

    bool Keyword(std::string_view word) {
        const Token& token = Take();
        return token.kind == TokenKind::Word && token.text == word ? true : Expected(token, word);
    }

    bool Comma() {
        const Token& token = Take();
        return token.kind == TokenKind::Comma ? true : Expected(token, "','");
    }

    bool Text(std::string_view what, std::string& value) {
        const Token& token = Take();
        if (token.kind != TokenKind::String) {
            return Expected(token, what);
        }
        value = token.text;
        return true;
    }

    template <typename T>
    bool Number(std::string_view what, T& value, int64_t min = std::numeric_limits<T>::min(),
                int64_t max = std::numeric_limits<T>::max()) {
        const Token& token = Take();
        if (token.kind != TokenKind::Number) {
            return Expected(token, what);
        }
        if (token.number < min || token.number > max) {
            return Fail(token, std::string(what) + " out of range");
        }
        value = static_cast<T>(token.number);
        return true;
    }

    bool Rect(ScriptRect& rect) {
        return Number("x", rect.x, INT16_MIN, INT16_MAX) && Comma() &&
               Number("y", rect.y, INT16_MIN, INT16_MAX) && Comma() &&
               Number("a width", rect.width, 0, INT16_MAX) && Comma() &&
               Number("a height", rect.height, 0, INT16_MAX);
    }

    bool VersionNumbers(std::array<uint16_t, 4>& numbers) {
        for (size_t i = 0; i < numbers.size(); ++i) {
            if ((i > 0 && !Comma()) || !Number("a version number", numbers[i])) {
                return false;
            }
        }
        return true;
    }

    bool Icon(int id, ScriptIcon& icon) {
        icon.id = id;
        return Text("the icon's file name", icon.fileName);
    }

    bool Dialog(int id, ScriptDialog& dialog) {
        dialog.id = id;
        if (!Rect(dialog.rect)) {
            return false;
        }
        for (;;) {
            const Token& statement = Take();
            bool read = false;
            if (statement.kind != TokenKind::Word) {
                return Expected(statement, "a dialog statement or BEGIN");
            } else if (statement.text == "BEGIN") {
                break;
            } else if (statement.text == "STYLE") {
                read = Number("the style", dialog.style);
            } else if (statement.text == "EXSTYLE") {
                read = Number("the extended style", dialog.exStyle);
            } else if (statement.text == "CAPTION") {
                read = Text("the caption", dialog.caption);
            } else if (statement.text == "FONT") {
                read = Number("the font's size in points", dialog.fontPoints, 1, INT16_MAX) &&
                       Comma() && Text("the font's name", dialog.fontFace);
            } else {
                return Fail(statement, "dialog statement " + statement.text + " is not read");
            }
            if (!read) {
                return false;
            }
        }
        while (!AtWord("END")) {
            ScriptControl& control = dialog.controls.emplace_back();
            const bool read = Keyword("CONTROL") && Text("the control's text", control.caption) &&
                              Comma() && Number("the control's id", control.id, -1, 0xFFFF) &&
                              Comma() && Text("the control's class", control.windowClass) &&
                              Comma() && Number("the control's style", control.style) && Comma() &&
                              Rect(control.rect);
            if (!read) {
                return false;
            }
        }
        Take();
        return true;
    }

    bool Version(int id, ScriptVersion& version) {
        version.id = id;
        for (;;) {
            const Token& statement = Take();
            uint32_t unused = 0;
            bool read = false;
            if (statement.kind != TokenKind::Word) {
                return Expected(statement, "a version statement or BEGIN");
            } else if (statement.text == "BEGIN") {
                break;
            } else if (statement.text == "FILEVERSION") {
                read = VersionNumbers(version.fileVersion);
            } else if (statement.text == "PRODUCTVERSION") {
                read = VersionNumbers(version.productVersion);
            } else if (statement.text == "FILEFLAGSMASK" || statement.text == "FILEFLAGS" ||
                       statement.text == "FILEOS" || statement.text == "FILETYPE" ||
                       statement.text == "FILESUBTYPE") {
                read = Number("a number", unused);
            } else {
                return Fail(statement, "version statement " + statement.text + " is not read");
            }
            if (!read) {
                return false;
            }
        }
        while (!AtWord("END")) {
            std::string name;
            if (!Keyword("BLOCK")) {
                return false;
            }
            const Token& nameToken = Peek();
            if (!Text("a block's name", name)) {
                return false;
            }
            bool read = false;
            if (name == "StringFileInfo") {
                read = StringFileInfo(version);
            } else if (name == "VarFileInfo") {
                read = VarFileInfo(version);
            } else {
                return Fail(nameToken, "block \"" + name + "\" is not read");
            }
            if (!read) {
                return false;
            }
        }
        Take();
        return true;
    }

    bool StringFileInfo(ScriptVersion& version) {
        if (!Keyword("BEGIN") || !Keyword("BLOCK")) {
            return false;
        }
        if (!Text("a string table's name", version.stringTable) || !Keyword("BEGIN")) {
            return false;
        }
        while (!AtWord("END")) {
            auto& [name, value] = version.strings.emplace_back();
            if (!Keyword("VALUE") || !Text("a value's name", name) || !Comma() ||
                !Text("a value's text", value)) {
                return false;
            }
        }
        Take();
        // One string table: the record has one language.
        return Keyword("END");
    }

    bool VarFileInfo(ScriptVersion& version) {
        std::string name;
        if (!Keyword("BEGIN") || !Keyword("VALUE")) {
            return false;
        }
        const Token& nameToken = Peek();
        if (!Text("\"Translation\"", name)) {
            return false;
        }
        if (name != "Translation") {
            return Fail(nameToken, "value \"" + name + "\" is not read");
        }
        do {
            if (!Comma() ||
                !Number("a language or code page", version.translation.emplace_back())) {
                return false;
            }
        } while (Peek().kind == TokenKind::Comma);
        return Keyword("END");
    }

    const std::vector<Token>& tokens;
    size_t at = 0;
    std::string& error;
};

}  // namespace

std::string ScriptVersion::String(std::string_view name) const {
    for (const auto& [key, value] : strings) {
        if (key == name) {
            return value;
        }
    }
    return {};
}

const ScriptDialog* ResourceScript::Dialog(int id) const {
    for (const ScriptDialog& dialog : dialogs) {
        if (dialog.id == id) {
            return &dialog;
        }
    }
    return nullptr;
}

bool ReadResourceScript(std::string_view text, std::span<const ScriptMacro> macros,
                        ResourceScript& script, std::string& error) {
    std::vector<Token> tokens;
    int line = 1;
    if (!Tokenizer(text, line, tokens, error).Read(macros)) {
        return false;
    }
    tokens.emplace_back(TokenKind::End, line);
    return Parser(tokens, error).Script(script);
}

}  // namespace corvane
