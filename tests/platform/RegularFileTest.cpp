#include "platform/RegularFile.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace corvane::platform {
namespace {

#ifdef _WIN32
constexpr const char* NullDevice = "NUL";
#else
constexpr const char* NullDevice = "/dev/null";
#endif

std::string Utf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

class RegularFileTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(std::filesystem::create_directory(folder)); }
    void TearDown() override { std::filesystem::remove_all(folder); }

    // Writes the bytes to a new file in the folder and gives its UTF-8 name.
    std::string Write(const std::u8string& name, const std::string& bytes) {
        const std::filesystem::path path = folder / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return Utf8(path);
    }

    const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                         ("corvane-file-" + std::to_string(std::random_device{}()));
};

TEST_F(RegularFileTest, OpensANonAsciiNameAndReadsTheBytesAsTheyAre) {
    // A stream in text mode would turn CR LF into LF and end at the Ctrl-Z.
    const std::string bytes =
        "Lines: 1\r\nA\x1a"
        "B\n";
    RegularFile file = OpenRegularFile(Write(u8"Überprüfung-äöü.prm", bytes));
    ASSERT_NE(file.stream, nullptr) << file.problem;
    EXPECT_EQ(file.problem, "");
    EXPECT_EQ(file.size, bytes.size());
    std::string read(64, '\0');
    read.resize(std::fread(read.data(), 1, read.size(), file.stream));
    std::fclose(file.stream);
    EXPECT_EQ(read, bytes);
}

TEST_F(RegularFileTest, SaysWhyANameDoesNotOpen) {
    const std::string existing = Write(u8"da.prm", "x");
    const struct {
        std::string name;
        std::string problem;
    } cases[] = {
        {Utf8(folder / u8"fehlt-äöü.prm"), "no such file"},
        {Utf8(folder), "is a directory"},
        {NullDevice, "not a regular file"},
        {"", "no file named"},
        // Only the whole name counts, not the file in front of the zero byte.
        {existing + '\0' + ".other", "name holds a zero byte"},
    };
    for (const auto& c : cases) {
        const RegularFile file = OpenRegularFile(c.name);
        EXPECT_EQ(file.stream, nullptr) << c.name;
        EXPECT_EQ(file.problem, c.problem) << c.name;
    }
#ifndef _WIN32
    // A named pipe without a writer: a blocking open would wait for one for ever.
    const std::string pipe = Utf8(folder / "pipe.prm");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    const RegularFile file = OpenRegularFile(pipe);
    EXPECT_EQ(file.stream, nullptr);
    EXPECT_EQ(file.problem, "not a regular file");
#endif
}

}  // namespace
}  // namespace corvane::platform
