#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>

namespace corvane {

// A fresh folder for the test's files, removed with them at the end.
class LineFolderTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(std::filesystem::create_directory(folder)); }
    void TearDown() override { std::filesystem::remove_all(folder); }

    std::string PathOf(const std::string& name) const {
        const std::u8string text = (folder / name).u8string();
        return {text.begin(), text.end()};
    }
    std::string Write(const std::string& name, std::string_view bytes) const {
        std::ofstream(folder / name, std::ios::binary).write(bytes.data(), std::ssize(bytes));
        return PathOf(name);
    }
    std::string Read(const std::string& name) const {
        std::ifstream file(folder / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }

    const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                         ("corvane-line-" + std::to_string(std::random_device{}()));
};

}  // namespace corvane
