// What windres built from resources/Corvane.rc, read back through Windows' own calls, against
// what the Qt window's reader makes of the same file: the two windows cannot drift apart.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <cwchar>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/ProgramResources.h"
#include "app/ResourceScript.h"

// After our headers: <windows.h> makes macros of many names.
#include <windows.h>

namespace corvane {
namespace {

ResourceScript ReadScript() {
    std::ifstream file(CORVANE_RESOURCE_SCRIPT);
    std::stringstream text;
    text << file.rdbuf();
    ResourceScript script;
    std::string error;
    EXPECT_TRUE(ReadResourceScript(text.str(), ProgramScriptMacros, script, error)) << error;
    return script;
}

const uint8_t* LoadProgramResource(const wchar_t* type, int id) {
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(id), type);
    return found ? static_cast<const uint8_t*>(LockResource(LoadResource(nullptr, found)))
                 : nullptr;
}

// Reads a dialog template's fields in order. Texts are ASCII here.
class TemplateReader {
  public:
    explicit TemplateReader(const uint8_t* at) : at(at) {}
    template <typename T>
    T Take() {
        T value;
        std::memcpy(&value, at, sizeof value);
        at += sizeof value;
        return value;
    }
    std::string Text() {
        std::string text;
        for (uint16_t c = Take<uint16_t>(); c != 0; c = Take<uint16_t>()) {
            text += static_cast<char>(c);
        }
        return text;
    }
    // A name, or a number after 0xFFFF: the predefined window classes are numbered from 0x80.
    std::string NameOrNumber() {
        if (std::memcmp(at, "\xFF\xFF", 2) != 0) {
            return Text();
        }
        at += 2;
        const char* classes[] = {"Button", "Edit", "Static", "ListBox", "ScrollBar", "ComboBox"};
        const uint16_t number = Take<uint16_t>();
        return number >= 0x80 && number < 0x86 ? classes[number - 0x80] : std::to_string(number);
    }
    ScriptRect Rect() {
        ScriptRect rect;
        rect.x = Take<int16_t>();
        rect.y = Take<int16_t>();
        rect.width = Take<int16_t>();
        rect.height = Take<int16_t>();
        return rect;
    }
    void AlignToFour(const uint8_t* start) { at += (4 - (at - start) % 4) % 4; }

  private:
    const uint8_t* at;
};

void ExpectSameRect(const ScriptRect& built, const ScriptRect& read) {
    EXPECT_EQ(built.x, read.x);
    EXPECT_EQ(built.y, read.y);
    EXPECT_EQ(built.width, read.width);
    EXPECT_EQ(built.height, read.height);
}

TEST(WindowResources, DialogIsWhatTheQtWindowReads) {
    const ResourceScript script = ReadScript();
    const ScriptDialog* read = script.Dialog(102);
    ASSERT_NE(read, nullptr);
    const uint8_t* start = LoadProgramResource(MAKEINTRESOURCEW(5) /* RT_DIALOG */, 102);
    ASSERT_NE(start, nullptr);

    TemplateReader built(start);
    ASSERT_EQ(built.Take<uint32_t>(), 0xFFFF0001u);  // DLGTEMPLATEEX, version 1
    built.Take<uint32_t>();                          // help id
    EXPECT_EQ(built.Take<uint32_t>(), read->exStyle);
    EXPECT_EQ(built.Take<uint32_t>(), read->style);
    const uint16_t count = built.Take<uint16_t>();
    ExpectSameRect(built.Rect(), read->rect);
    EXPECT_EQ(built.NameOrNumber(), "");  // no menu
    EXPECT_EQ(built.NameOrNumber(), "");  // the standard dialog class
    EXPECT_EQ(built.Text(), read->caption);
    EXPECT_EQ(built.Take<uint16_t>(), read->fontPoints);
    built.Take<uint32_t>();  // weight, italic, character set
    EXPECT_EQ(built.Text(), read->fontFace);

    ASSERT_EQ(count, read->controls.size());
    for (const ScriptControl& control : read->controls) {
        SCOPED_TRACE(control.caption);
        built.AlignToFour(start);
        built.Take<uint32_t>();                 // help id
        EXPECT_EQ(built.Take<uint32_t>(), 0u);  // extended style
        EXPECT_EQ(built.Take<uint32_t>(), control.style);
        ExpectSameRect(built.Rect(), control.rect);
        EXPECT_EQ(built.Take<int32_t>(), control.id);
        EXPECT_EQ(CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, built.NameOrNumber().c_str(),
                                 -1, control.windowClass.c_str(), -1),
                  CSTR_EQUAL)
            << control.windowClass;
        EXPECT_EQ(built.NameOrNumber(), control.caption);
        EXPECT_EQ(built.Take<uint16_t>(), 0u);  // no creation data
    }
}

// The dialog's icon 128 is one 32 px image of 16 colours; the program's icon, first for the
// shell, has 16, 32 and 48 px in full colour.
TEST(WindowResources, IconsOfTheDialogAndOfTheProgram) {
    const ResourceScript script = ReadScript();
    ASSERT_EQ(script.icons.size(), 2u);
    const struct {
        int id;
        std::vector<uint8_t> sizes;
        uint16_t bits;
    } icons[] = {{128, {32}, 4}, {1, {16, 32, 48}, 32}};
    for (const auto& icon : icons) {
        SCOPED_TRACE(icon.id);
        const uint8_t* group =
            LoadProgramResource(MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */, icon.id);
        ASSERT_NE(group, nullptr);
        TemplateReader directory(group);
        directory.Take<uint32_t>();  // reserved, type
        ASSERT_EQ(directory.Take<uint16_t>(), icon.sizes.size());
        for (const uint8_t size : icon.sizes) {
            EXPECT_EQ(directory.Take<uint8_t>(), size);
            EXPECT_EQ(directory.Take<uint8_t>(), size);
            EXPECT_EQ(directory.Take<uint8_t>(), icon.bits == 4 ? 16u : 0u);  // palette colours
            directory.Take<uint8_t>();
            EXPECT_EQ(directory.Take<uint16_t>(), 1u);  // planes
            EXPECT_EQ(directory.Take<uint16_t>(), icon.bits);
            directory.Take<uint32_t>();  // bytes
            directory.Take<uint16_t>();  // the image's id
        }
    }
}

TEST(WindowResources, VersionRecordIsWhatTheQtWindowReads) {
    const ResourceScript script = ReadScript();
    ASSERT_EQ(script.versions.size(), 1u);
    const ScriptVersion& read = script.versions[0];

    wchar_t program[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(nullptr, program, MAX_PATH), 0u);
    std::string record(GetFileVersionInfoSizeW(program, nullptr), '\0');
    ASSERT_FALSE(record.empty());
    ASSERT_TRUE(GetFileVersionInfoW(program, 0, record.size(), record.data()));
    const auto query = [&record](const std::string& path, UINT& size) {
        void* value = nullptr;
        const std::wstring widePath(path.begin(), path.end());
        return VerQueryValueW(record.data(), widePath.c_str(), &value, &size) ? value : nullptr;
    };

    UINT size = 0;
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(query("\\", size));
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->dwFileVersionMS, uint32_t(read.fileVersion[0]) << 16 | read.fileVersion[1]);
    EXPECT_EQ(fixed->dwFileVersionLS, uint32_t(read.fileVersion[2]) << 16 | read.fileVersion[3]);
    EXPECT_EQ(fixed->dwProductVersionMS,
              uint32_t(read.productVersion[0]) << 16 | read.productVersion[1]);
    EXPECT_EQ(fixed->dwProductVersionLS,
              uint32_t(read.productVersion[2]) << 16 | read.productVersion[3]);

    const auto* translation =
        static_cast<const uint16_t*>(query("\\VarFileInfo\\Translation", size));
    ASSERT_NE(translation, nullptr);
    EXPECT_EQ(std::vector<uint16_t>(translation, translation + size / 2), read.translation);

    ASSERT_FALSE(read.strings.empty());
    for (const auto& [name, value] : read.strings) {
        const auto* text = static_cast<const wchar_t*>(
            query("\\StringFileInfo\\" + read.stringTable + "\\" + name, size));
        ASSERT_NE(text, nullptr) << name;
        EXPECT_EQ(std::wstring(text), std::wstring(value.begin(), value.end())) << name;
    }
}

#ifdef CORVANE_PROGRAMS
// A text of the file's version record, in its first language; empty when it has none.
std::wstring VersionText(const std::wstring& file, const std::wstring& name) {
    std::string record(GetFileVersionInfoSizeW(file.c_str(), nullptr), '\0');
    if (record.empty() || !GetFileVersionInfoW(file.c_str(), 0, record.size(), record.data())) {
        return L"";
    }
    void* value = nullptr;
    UINT size = 0;
    if (!VerQueryValueW(record.data(), L"\\VarFileInfo\\Translation", &value, &size) || size < 4) {
        return L"";
    }
    const auto* translation = static_cast<const uint16_t*>(value);
    wchar_t path[128];
    swprintf(path, 128, L"\\StringFileInfo\\%04x%04x\\%ls", translation[0], translation[1],
             name.c_str());
    return VerQueryValueW(record.data(), path, &value, &size) ? static_cast<wchar_t*>(value) : L"";
}

TEST(WindowResources, BothProgramsCarryTheManifestAndTheProductsVersion) {
    std::ifstream file(CORVANE_MANIFEST, std::ios::binary);
    std::stringstream manifest;
    manifest << file.rdbuf();
    ASSERT_NE(manifest.str().find("activeCodePage"), std::string::npos);

    std::stringstream programs(CORVANE_PROGRAMS);
    for (std::string program; std::getline(programs, program, '|');) {
        SCOPED_TRACE(program);
        const std::wstring path(program.begin(), program.end());
        EXPECT_EQ(VersionText(path, L"ProductName"), L"Corvane");
        EXPECT_EQ(VersionText(path, L"CompanyName"), L"Corvane developers");
        EXPECT_EQ(VersionText(path, L"ProductVersion"), L"" CORVANE_RELEASE);
        EXPECT_NE(VersionText(path, L"FileDescription"), L"");

        const HMODULE image = LoadLibraryExW(
            path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(image, nullptr);
        const HRSRC found = FindResourceW(image, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
        ASSERT_NE(found, nullptr) << "no RT_MANIFEST 1";
        const auto* bytes = static_cast<const char*>(LockResource(LoadResource(image, found)));
        EXPECT_EQ(std::string(bytes, SizeofResource(image, found)), manifest.str());
        FreeLibrary(image);
    }
}
#endif

}  // namespace
}  // namespace corvane
