#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/resource.h>
#endif

#include "platform/registry/MemoryRegistry.h"
#include "platform/registry/RegFileParser.h"
#include "platform/registry/RegistryValues.h"
#include "tests/registry/RegFileTestText.h"

namespace corvane::platform {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

constexpr const char* Ril = "Software\\Microsoft\\RIL";

class RegFileParserTest : public ::testing::Test {
  protected:
    bool Parse(const std::vector<uint8_t>& bytes) { return ParseRegFile(bytes, registry, error); }
    bool Parse(const std::string& text) { return Parse(Utf8Bytes(text)); }

    RegistryValue Value(const std::string& key, const std::string& name) {
        RegistryValue value;
        EXPECT_TRUE(registry.QueryValue(HKEY_LOCAL_MACHINE, key, name, value))
            << key << " / " << name;
        return value;
    }

    MemoryRegistry registry;
    std::string error;
};

TEST_F(RegFileParserTest, SameContentFromEveryEncodingHeaderAndLineEnd) {
    const std::string body =
        "[HKLM\\Software\\Microsoft\\RIL]\n"
        "\"DataPortInternal\"=\"/dev/ttyS1\"\n"
        "\"BaudRate\"=dword:0000e100\n";
    const std::vector<std::string> headers = {"Windows Registry Editor Version 5.00", "REGEDIT4"};
    for (const std::string& header : headers) {
        for (const std::string lineEnd : {"\n", "\r\n", "\r"}) {
            std::string text = header + "\n\n" + body;
            std::string converted;
            for (char c : text) {
                converted += c == '\n' ? lineEnd : std::string(1, c);
            }
            const std::u16string wide(converted.begin(), converted.end());
            for (const std::vector<uint8_t>& bytes :
                 {Utf8Bytes(converted), Utf8Bytes("\xEF\xBB\xBF" + converted),
                  Utf16LeBytes(wide)}) {
                SCOPED_TRACE(header + " / line end " + std::to_string(lineEnd.size()) +
                             " / first byte " + std::to_string(bytes[0]));
                registry.Clear();
                ASSERT_TRUE(Parse(bytes)) << error;
                EXPECT_EQ(Value(Ril, "DataPortInternal").data, TextValue(u"/dev/ttyS1").data);
                EXPECT_EQ(Value(Ril, "BaudRate").type, REG_DWORD);
                EXPECT_THAT(Value(Ril, "BaudRate").data, ElementsAre(0x00, 0xE1, 0x00, 0x00));
            }
        }
    }
}

TEST_F(RegFileParserTest, HexDataOverContinuedLinesWithTypes) {
    ASSERT_TRUE(
        Parse("REGEDIT4\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Test]\n"
              "\"Blob\"=hex:01,02,0a,\\\n"
              "  ff,  7,\\\n"
              "\tA0\n"
              "\"Expand\"=hex(2):25,00,00,00\n"
              "\"Quad\"=hex(b):01,00,00,00,00,00,00,00\n"
              "\"Nothing\"=hex(0):\n"
              "\"Empty\"=hex:\n"
              "\"Commented\"=hex:12,34 ; trailing note\n"))
        << error;

    const RegistryValue blob = Value("Software\\Test", "Blob");
    EXPECT_EQ(blob.type, REG_BINARY);
    EXPECT_THAT(blob.data, ElementsAre(0x01, 0x02, 0x0A, 0xFF, 0x07, 0xA0));
    EXPECT_EQ(Value("Software\\Test", "Expand").type, 2u);
    EXPECT_EQ(Value("Software\\Test", "Quad").type, 0xBu);
    EXPECT_EQ(Value("Software\\Test", "Quad").data.size(), 8u);
    EXPECT_EQ(Value("Software\\Test", "Nothing").type, REG_NONE);
    EXPECT_TRUE(Value("Software\\Test", "Empty").data.empty());
    EXPECT_THAT(Value("Software\\Test", "Commented").data, ElementsAre(0x12, 0x34));
}

TEST_F(RegFileParserTest, NamesEscapesCommentsDefaultsAndCase) {
    ASSERT_TRUE(
        Parse("Windows Registry Editor Version 5.00\n"
              "; a comment before the key\n"
              "  [hklm\\Software\\Quoted]  \n"
              "@=\"default\"\n"
              "   ; an indented comment\n"
              "\"Path\"=\"\\\\\\\\.\\\\COM10\"\n"
              "\"Say \\\"hi\\\"\" = \"Mod\xc3\xa9m \\\"b\\\"\"\n"))
        << error;

    EXPECT_EQ(Value("SOFTWARE\\quoted", "").data, TextValue(u"default").data);
    EXPECT_EQ(Value("software\\QUOTED", "PATH").data, TextValue(u"\\\\.\\COM10").data);
    EXPECT_EQ(Value("Software\\Quoted", "say \"HI\"").data, TextValue(u"Mod\u00e9m \"b\"").data);
    EXPECT_TRUE(registry.HasKey(HKEY_LOCAL_MACHINE, "Software"));
}

TEST_F(RegFileParserTest, DeletionsApplyInFileOrder) {
    ASSERT_TRUE(
        Parse("REGEDIT4\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Gone\\Child]\n"
              "\"A\"=dword:1\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Kept]\n"
              "\"A\"=dword:1\n"
              "\"B\"=dword:2\n"
              "\"A\"=-\n"
              "[-HKEY_LOCAL_MACHINE\\Software\\Gone]\n"
              "\"Ignored\"=dword:3\n"))
        << error;

    RegistryValue value;
    EXPECT_FALSE(registry.HasKey(HKEY_LOCAL_MACHINE, "Software\\Gone"));
    EXPECT_FALSE(registry.HasKey(HKEY_LOCAL_MACHINE, "Software\\Gone\\Child"));
    EXPECT_FALSE(registry.QueryValue(HKEY_LOCAL_MACHINE, "Software\\Kept", "A", value));
    EXPECT_TRUE(registry.QueryValue(HKEY_LOCAL_MACHINE, "Software\\Kept", "B", value));
}

TEST_F(RegFileParserTest, InvalidFilesAreRefusedWithTheirReason) {
    const std::string header = "Windows Registry Editor Version 5.00\n";
    const std::string key = "[HKEY_LOCAL_MACHINE\\Software\\X]\n";
    struct Case {
        std::vector<uint8_t> bytes;
        const char* reason;
    };
    const std::vector<Case> cases = {
        {Utf8Bytes(""), "first line must be"},
        {Utf8Bytes("[HKEY_LOCAL_MACHINE\\X]\n"), "first line must be"},
        {Utf8Bytes(header + "[HKEY_LOCAL_MACHINE\\X\n"), "line 2: a key line must end with ']'"},
        {Utf8Bytes(header + "[HKEY_NOWHERE\\X]\n"), "unknown root key \"HKEY_NOWHERE\""},
        {Utf8Bytes(header + "[HKEY_\x1B[2J\\X]\n"), "unknown root key \"HKEY_\\x1B[2J\""},
        {Utf8Bytes(header + "\"A\"=dword:1\n"), "value outside of a key"},
        {Utf8Bytes(header + key + "\"A\"=\"open\n"), "line 3: unterminated"},
        {Utf8Bytes(header + key + "\"A\"=\"tab\\t\"\n"), "only \\\\ and \\\" escape"},
        {Utf8Bytes(header + key + "\"A=\"x\"\n"), "'=' expected"},
        {Utf8Bytes(header + key + "\"A\"=\"x\" y\n"), "after the text"},
        {Utf8Bytes(header + key + "\"A\"=dword:123456789\n"), "1 to 8 hex digits"},
        {Utf8Bytes(header + key + "\"A\"=hex:1,,2\n"), "bytes of 1 or 2 hex digits"},
        {Utf8Bytes(header + key + "\"A\"=hex:12 34\n"), "',' expected"},
        {Utf8Bytes(header + key + "\"A\"=hex(z):12\n"), "hex(type)"},
        {Utf8Bytes(header + key + "\"A\"=hex 12\n"), "':' expected"},
        {Utf8Bytes(header + key + "\"A\"=hex:12,\\\n"), "ends inside continued hex"},
        {Utf8Bytes(header + key + "\"A\"=word:1\n"), "line 3: unknown value data"},
        {Utf8Bytes(header + key + "A=1\n"), "neither a key, a value nor a comment"},
        {Utf8Bytes(header + "\xC3\x28"), "neither UTF-8 nor UTF-16LE"},
        {Utf8Bytes(header + "\xE0\x80\x80"), "neither UTF-8 nor UTF-16LE"},
        {Utf8Bytes("\xFE\xFF"), "big-endian"},
        {{0xFF, 0xFE, 'R', 0, 'E'}, "half a character"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.bytes.begin(), c.bytes.end()));
        registry.Clear();
        error.clear();
        EXPECT_FALSE(Parse(c.bytes));
        EXPECT_THAT(error, HasSubstr(c.reason));
    }
}

#ifndef _WIN32
// The most memory this process has held so far, in MiB.
long PeakMebibytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}
#endif

// Whatever an export holds, reading it takes time and memory in proportion to its size, or it is
// refused with the line at fault: a deep key costs its own name, not a copy of every ancestor's
// path, and deleting a subtree does not scan the whole registry.
TEST_F(RegFileParserTest, LargeExportsReadQuicklyOrAreRefusedWithTheirLine) {
    const std::string header = "REGEDIT4\n";
    const auto path = [](size_t depth, const std::string& name) {
        std::string text;
        for (size_t level = 0; level < depth; ++level) {
            text += (level == 0 ? "" : "\\") + name;
        }
        return text;
    };
    std::string manyDeletions = header;
    for (int key = 0; key < 20000; ++key) {
        manyDeletions += "[HKLM\\Software\\k" + std::to_string(key) + "]\n\"v\"=dword:1\n";
    }
    for (int key = 0; key < 20000; ++key) {
        manyDeletions += "[-HKLM\\Software\\k" + std::to_string(key) + "]\n";
    }
    std::string deepestKeys = header;
    for (int key = 0; key < 48; ++key) {
        deepestKeys += "[HKLM\\" + path(512, std::to_string(key) + std::string(253, 'n')) +
                       "]\n\"v\"=\"deep\"\n";
    }
    const struct {
        const char* name;
        std::string text;
        const char* refusal;  // null: read
    } cases[] = {
        {"too deep", header + "[HKLM\\" + path(513, "k") + "]\n",
         "line 2: keys deeper than 512 levels"},
        {"long name", header + "[HKLM\\" + path(2, std::string(256, 'k')) + "]\n",
         "line 2: a key name longer than 255 characters"},
        {"deletions", manyDeletions, nullptr},
        {"deepest keys", deepestKeys, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        registry.Clear();
        error.clear();
#ifndef _WIN32
        const long peakBefore = PeakMebibytes();
#endif
        [[maybe_unused]] const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(Parse(c.text), c.refusal == nullptr) << error;
#ifdef NDEBUG
        // Timed where optimised only: a debug build with sanitizers is many times slower.
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
#endif
#ifndef _WIN32
        // The text itself, twice over as UTF-16, and little beside.
        EXPECT_LT(PeakMebibytes() - peakBefore, 256) << "MiB more than before";
#endif
        if (c.refusal != nullptr) {
            EXPECT_THAT(error, HasSubstr(c.refusal));
        }
    }
    EXPECT_TRUE(registry.HasKey("HKLM", path(511, "47" + std::string(253, 'N'))));
    EXPECT_FALSE(registry.HasKey("HKLM", path(512, "47" + std::string(253, 'n')) + "\\x"));
}

// Damaged files of every shape must be refused or read, never crash or read past the input.
// Run under the sanitize preset this also checks for overruns.
TEST_F(RegFileParserTest, SurvivesRandomDamage) {
    const std::string valid =
        "Windows Registry Editor Version 5.00\r\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\RIL]\r\n"
        "\"DataPortInternal\"=\"COM1:\"\r\n"
        "\"BaudRate\"=dword:0001c200\r\n"
        "\"Blob\"=hex(7):41,00,00,00,\\\r\n  00,00\r\n"
        "@=\"x\\\\y\\\"z\"\r\n";
    std::mt19937 random(20240611);
    size_t accepted = 0;
    for (int round = 0; round < 3000; ++round) {
        std::vector<uint8_t> bytes = round % 2 == 0
                                         ? Utf8Bytes(valid)
                                         : Utf16LeBytes(std::u16string(valid.begin(), valid.end()));
        const int damage = 1 + static_cast<int>(random() % 4);
        for (int d = 0; d < damage && !bytes.empty(); ++d) {
            const size_t at = random() % bytes.size();
            const uint32_t how = random() % 3;
            if (how == 0) {
                bytes[at] = static_cast<uint8_t>(random());
            } else if (how == 1) {
                bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(at));
            } else {
                bytes.resize(at);
            }
        }
        registry.Clear();
        error.clear();
        if (Parse(bytes)) {
            ++accepted;
        } else {
            EXPECT_FALSE(error.empty());
        }
    }
    // Some damage is harmless (inside a text value), most is not: both paths were taken.
    EXPECT_GT(accepted, 0u);
    EXPECT_LT(accepted, 3000u);
}

}  // namespace
}  // namespace corvane::platform
