#include "sim/ModemRecords.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

namespace corvane::sim {
namespace {

using namespace std::string_literals;

std::string Contents(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TEST(ModemRecords, FilesHoldTranscriptAndStoredSet) {
    const std::string path = ::testing::TempDir() + "corvane-modem-records";

    ASSERT_TRUE(
        WriteTranscript(path, {{12, 57600, "AT\r"}, {250, 115200, "\x00\x1a\x7f\xff\\ ~"s}}));
    EXPECT_EQ(Contents(path), "12 57600 AT\\r\n250 115200 \\x00\\x1A\\x7F\\xFF\\\\ ~\n");

    ASSERT_TRUE(WriteStoredSet(path, Family::K31, {"first pair", "second"}));
    EXPECT_EQ(Contents(path), "first pair\nsecond\n");

    const std::string records = "\x00\x04\x0a\x00\x00\x03\x1a"s;
    ASSERT_TRUE(WriteStoredSet(path, Family::K47, {records.substr(0, 4), records.substr(4)}));
    EXPECT_EQ(Contents(path), records) << "byte for byte, as the parameter file holds them";

    std::remove(path.c_str());
    EXPECT_FALSE(WriteStoredSet("/nonexistent-dir/stored", Family::K31, {"x"}));
}

}  // namespace
}  // namespace corvane::sim
