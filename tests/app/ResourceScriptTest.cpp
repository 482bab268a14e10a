#include "app/ResourceScript.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QString>
#include <string>

#include "app/ProgramResources.h"
#include "app/VersionRecord.h"
#include "app/core/StationDialogIds.h"

namespace corvane {
namespace {

// The program's own script: the template the window is built from, an icon the window can
// show, and one version for numbers and texts alike.
TEST(ProgramResources, IconAndVersionRecord) {
    ResourceScript script;
    std::string error;
    ASSERT_TRUE(ReadProgramResources(script, error)) << error;
    ASSERT_NE(script.Dialog(102), nullptr);
    // The station's, which only the Win32 view draws, reads beside it.
    ASSERT_NE(script.Dialog(StationDialogId), nullptr);

    // The full-colour icon first, for the shell; then the dialog's own, 32 px.
    ASSERT_EQ(script.icons.size(), 2u);
    EXPECT_EQ(script.icons[0].id, 1);
    EXPECT_EQ(script.icons[1].id, 128);
    const QImage icon(":/corvane/" + QString::fromStdString(script.icons[1].fileName));
    EXPECT_EQ(icon.size(), QSize(32, 32));

    ASSERT_EQ(script.versions.size(), 1u);
    const ScriptVersion& record = script.versions[0];
    // The numbers and the texts come from the same project version.
    const auto& [major, minor, patch, tweak] = record.fileVersion;
    EXPECT_EQ(std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(patch) +
                  "." + std::to_string(tweak),
              CORVANE_VERSION);
    EXPECT_EQ(record.productVersion, record.fileVersion);
    EXPECT_EQ(record.String("FileVersion"), CORVANE_VERSION);
    EXPECT_EQ(record.String("ProductVersion"), CORVANE_RELEASE);

    const VersionRecord shown = VersionRecord::Load();
    EXPECT_EQ(shown.internalName, "Corvane");
    EXPECT_EQ(shown.fileVersion, CORVANE_VERSION);
}

TEST(ResourceScript, ReadsNumbersStringsCommentsAndMacros) {
    const char* text = R"(// a comment
7 DIALOGEX -3, 0x10, 40, 30 // another
CAPTION "say ""hi"" // not a comment"
BEGIN
    CONTROL "", -1, "Edit", 0xFFFFFFFF, 1, 2, 3, 4
    CONTROL "b", 65535, "Button", 1342177287, 0, 0, 0, 0
END
9 VERSIONINFO
FILEVERSION NUMBERS
BEGIN
    BLOCK "StringFileInfo"
    BEGIN
        BLOCK "040904B0"
        BEGIN
            VALUE "FileVersion", TEXT
        END
    END
END
)";
    const ScriptMacro macros[] = {{"NUMBERS", "1,2,3,65535"}, {"TEXT", "\"1.2\""}};
    ResourceScript script;
    std::string error;
    ASSERT_TRUE(ReadResourceScript(text, macros, script, error)) << error;
    ASSERT_NE(script.Dialog(7), nullptr);
    const ScriptDialog& dialog = *script.Dialog(7);
    EXPECT_EQ(dialog.rect.x, -3);
    EXPECT_EQ(dialog.rect.y, 16);
    EXPECT_EQ(dialog.caption, "say \"hi\" // not a comment");
    ASSERT_EQ(dialog.controls.size(), 2u);
    EXPECT_EQ(dialog.controls[0].id, -1);
    EXPECT_EQ(dialog.controls[0].style, 0xFFFFFFFFu);
    EXPECT_EQ(dialog.controls[1].id, 65535);
    EXPECT_EQ(dialog.controls[1].style, 0x50000007u);
    EXPECT_EQ(dialog.controls[1].windowClass, "Button");
    ASSERT_EQ(script.versions.size(), 1u);
    EXPECT_EQ(script.versions[0].fileVersion, (std::array<uint16_t, 4>{1, 2, 3, 65535}));
    EXPECT_EQ(script.versions[0].String("FileVersion"), "1.2");
}

TEST(ResourceScript, RefusesWhatItDoesNotReadWithTheLine) {
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"1 ICON \"a\\b.ico\"", "line 1: backslash escapes are not read"},
        {"1 ICON \"a.ico\n\"", "line 1: a string must end on its own line"},
        {"\n1 DIALOGEX 0, 0, 10, 10L", "line 2: malformed number"},
        {"1 DIALOGEX 0, 0, 0x100000000, 1", "line 1: number out of range"},
        {"1 DIALOGEX 0, 0, 70000, 1", "line 1: a width out of range"},
        {"#include <windows.h>", "line 1: unexpected character '#'"},
        {"1 MENU", "line 1: resources of type MENU are not read"},
        {"1 DIALOGEX 0, 0, 1, 1\nMENU 5", "line 2: dialog statement MENU is not read"},
        {"1 DIALOGEX 0, 0, 1, 1\nBEGIN\n  CONTROL \"a\" 1",
         "line 3: expected ',', found the number 1"},
        {"1 DIALOGEX 0, 0, 1, 1\nBEGIN\n", "line 3: expected CONTROL, found the end of the file"},
        {"1 VERSIONINFO\nFILEVERSION 1, 2, 3\nBEGIN", "line 3: expected ',', found BEGIN"},
        {"1 VERSIONINFO\nBEGIN\nBLOCK \"x\"", "line 3: block \"x\" is not read"},
        {"1 VERSIONINFO\nBEGIN\nBLOCK \"VarFileInfo\" BEGIN VALUE \"Translation\", 70000",
         "line 3: a language or code page out of range"},
        {"1 ICON \"a.ico\"\nTEXT", "line 2: in TEXT: malformed number"},
    };
    const ScriptMacro macros[] = {{"TEXT", "12x"}};
    for (const auto& [text, expectedError] : cases) {
        SCOPED_TRACE(text);
        ResourceScript script;
        std::string error;
        EXPECT_FALSE(ReadResourceScript(text, macros, script, error));
        EXPECT_EQ(error.substr(0, std::string(expectedError).size()), expectedError);
    }
}

}  // namespace
}  // namespace corvane
