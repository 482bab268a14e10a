#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace corvane {

// The resources of a resource script (.rc) that the program reads itself. Texts are kept as the
// file's bytes (UTF-8).

struct ScriptRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

struct ScriptControl {
    std::string caption;
    int id = -1;
    std::string windowClass;
    uint32_t style = 0;
    ScriptRect rect;
};

struct ScriptDialog {
    int id = 0;
    ScriptRect rect;
    uint32_t style = 0;
    uint32_t exStyle = 0;
    std::string caption;
    int fontPoints = 0;
    std::string fontFace;
    std::vector<ScriptControl> controls;
};

struct ScriptIcon {
    int id = 0;
    std::string fileName;
};

struct ScriptVersion {
    int id = 0;
    std::array<uint16_t, 4> fileVersion{};
    std::array<uint16_t, 4> productVersion{};
    // The first string table of "StringFileInfo": its name ("040704B0") and its values in order.
    std::string stringTable;
    std::vector<std::pair<std::string, std::string>> strings;
    // "VarFileInfo"'s "Translation": language and code page, pair after pair.
    std::vector<uint16_t> translation;

    // The value named so in the string table; empty when there is none.
    std::string String(std::string_view name) const;
};

struct ResourceScript {
    std::vector<ScriptIcon> icons;
    std::vector<ScriptDialog> dialogs;
    std::vector<ScriptVersion> versions;

    // The dialog with that id, or null.
    const ScriptDialog* Dialog(int id) const;
};

// A name that the build defines for the resource compiler, with the text it stands for.
struct ScriptMacro {
    std::string_view name;
    std::string_view replacement;
};

// Reads the statements resources/Corvane.rc uses: "id ICON file", "id DIALOGEX x, y, w, h" with
// STYLE, EXSTYLE, CAPTION and FONT and a BEGIN ... END of CONTROL statements, and
// "id VERSIONINFO" with its fixed part and the blocks "StringFileInfo" and "VarFileInfo".
// Numbers are decimal or 0x hex, negative where an id may be -1; strings double a quote to hold
// one and have no backslash escapes; "//" starts a comment. A name among macros is replaced by
// its text, as the preprocessor would. Anything else is refused rather than guessed at: false,
// and error says where ("line 12: ..."); script is then incomplete.
bool ReadResourceScript(std::string_view text, std::span<const ScriptMacro> macros,
                        ResourceScript& script, std::string& error);

}  // namespace corvane
