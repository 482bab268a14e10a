#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "platform/registry/ConnectionSettings.h"
#include "platform/registry/RegFileRegistry.h"
#include "tests/registry/RegFileTestText.h"

namespace corvane::platform {
namespace {

using ::testing::HasSubstr;

class RegFileRegistryTest : public ::testing::Test {
  protected:
    std::string WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) {
        const std::filesystem::path path = directory / name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return path.string();
    }

    void TearDown() override { std::filesystem::remove_all(directory); }

    std::filesystem::path directory = [] {
        std::random_device random;
        std::filesystem::path made;
        do {
            made = std::filesystem::temp_directory_path() / ("regfile-" + std::to_string(random()));
        } while (!std::filesystem::create_directory(made));
        return made;
    }();
    RegFileRegistry registry;
    std::string error;
};

TEST_F(RegFileRegistryTest, LoadsAFileAndServesTheLookup) {
    const std::u16string text =
        u"Windows Registry Editor Version 5.00\r\n\r\n"
        u"[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\RIL]\r\n"
        u"\"DataPortInternal\"=\"COM12\"\r\n"
        u"\"BaudRate\"=dword:0000e100\r\n";
    ASSERT_TRUE(registry.Load(WriteFile("device.reg", Utf16LeBytes(text)), error)) << error;

    std::string port;
    uint32_t rate = 0;
    EXPECT_TRUE(LookupConnectionSettings(registry, port, rate));
    EXPECT_EQ(port, "COM12");
    EXPECT_EQ(rate, 57600u);
}

TEST_F(RegFileRegistryTest, FailedLoadLeavesNothingBehindAndNamesFileAndLine) {
    ASSERT_TRUE(registry.Load(
        WriteFile("good.reg", Utf8Bytes("REGEDIT4\n[HKLM\\A]\n\"V\"=\"1\"\n")), error));
    ASSERT_TRUE(registry.HasKey(HKEY_LOCAL_MACHINE, "A"));

    const std::string bad = WriteFile("bad.reg", Utf8Bytes("REGEDIT4\n[HKLM\\B]\n\"V\"=?\n"));
    EXPECT_FALSE(registry.Load(bad, error));
    EXPECT_THAT(error, HasSubstr(bad + ": line 3:"));
    EXPECT_FALSE(registry.HasKey(HKEY_LOCAL_MACHINE, "A"));
    EXPECT_FALSE(registry.HasKey(HKEY_LOCAL_MACHINE, "B")) << "half a file is not kept";
}

TEST_F(RegFileRegistryTest, UnreadableFilesAreReported) {
    const std::string missing = (directory / "missing.reg").string();
    EXPECT_FALSE(registry.Load(missing, error));
    EXPECT_THAT(error, HasSubstr(missing + ": no such file"));

    EXPECT_FALSE(registry.Load(directory.string(), error));
    EXPECT_THAT(error, HasSubstr("directory"));
}

}  // namespace
}  // namespace corvane::platform
