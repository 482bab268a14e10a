#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz/cases/Cases.h"

namespace corvane::fuzz {

void PrintTo(const FuzzCase& fuzzCase, std::ostream* out) {
    *out << fuzzCase.name;
}

namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> ReadAll(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::vector<fs::path> FilesIn(const fs::path& directory) {
    std::vector<fs::path> files;
    if (fs::is_directory(directory)) {
        for (const fs::directory_entry& entry : fs::directory_iterator(directory)) {
            if (entry.is_regular_file()) {
                files.push_back(entry.path());
            }
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

// Runs every file of the folder through the case; returns how many there were.
size_t Replay(const FuzzCase& fuzzCase, const fs::path& directory) {
    const std::vector<fs::path> files = FilesIn(directory);
    for (const fs::path& file : files) {
        EXPECT_THAT(fuzzCase.check(ReadAll(file)), testing::IsEmpty()) << file;
    }
    return files.size();
}

class FuzzReplay : public testing::TestWithParam<FuzzCase> {};

TEST_P(FuzzReplay, SeedCorpusHoldsEveryProperty) {
    const fs::path corpus = fs::path(CORVANE_FUZZ_CORPUS_DIR) / GetParam().name;
    EXPECT_GT(Replay(GetParam(), corpus), 0u) << "no seeds in " << corpus;
}

INSTANTIATE_TEST_SUITE_P(Fuzz, FuzzReplay, testing::ValuesIn(AllCases),
                         [](const testing::TestParamInfo<FuzzCase>& info) {
                             return std::string(info.param.name);
                         });

// Inputs that once crashed a target or broke a property, kept under the target's name.
TEST(FuzzFindings, HoldEveryPropertyNow) {
    size_t replayed = 0;
    for (const FuzzCase& fuzzCase : AllCases) {
        replayed += Replay(fuzzCase, fs::path(CORVANE_FUZZ_FINDINGS_DIR) / fuzzCase.name);
    }
    EXPECT_GT(replayed, 0u) << "no findings in " << CORVANE_FUZZ_FINDINGS_DIR;
}

}  // namespace
}  // namespace corvane::fuzz
