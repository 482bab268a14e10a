#include "platform/RecordFile.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "tests/line/LineFolder.h"

namespace corvane::platform {
namespace {

using RecordFileTest = LineFolderTest;

std::unique_ptr<RecordFile> Open(const std::string& path) {
    OpenedRecordFile opened = OpenRecordFile(path);
    EXPECT_EQ(opened.problem, "");
    return std::move(opened.file);
}

TEST_F(RecordFileTest, EndsALineThatACrashCutBeforeAddingTheNext) {
    const std::string path = Write("record.jsonl", "{\"a\":1}\n{\"a\":");
    const std::unique_ptr<RecordFile> file = Open(path);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->Append("{\"a\":3}\n"), "");
    EXPECT_EQ(file->Append("{\"a\":4}\n"), "");
    EXPECT_EQ(Read("record.jsonl"), "{\"a\":1}\n{\"a\":\n{\"a\":3}\n{\"a\":4}\n");
}

TEST_F(RecordFileTest, CreatesAMissingFileAndRefusesAFolder) {
    const std::unique_ptr<RecordFile> file = Open(PathOf("new.jsonl"));
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->Append("{}\n"), "");
    EXPECT_EQ(Read("new.jsonl"), "{}\n");
#ifndef _WIN32
    struct stat status {};
    ASSERT_EQ(stat(PathOf("new.jsonl").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0644 & ~umask(umask(0)));
#endif
    EXPECT_EQ(OpenRecordFile(PathOf("")).file, nullptr);
}

TEST_F(RecordFileTest, TwoOpensOfOneFileEachAddAtTheEnd) {
    // Each open has a position of its own; only appending keeps one from writing over the other.
    const std::unique_ptr<RecordFile> first = Open(PathOf("two.jsonl"));
    const std::unique_ptr<RecordFile> second = Open(PathOf("two.jsonl"));
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->Append("1\n"), "");
    EXPECT_EQ(second->Append("2\n"), "");
    EXPECT_EQ(first->Append("3\n"), "");
    EXPECT_EQ(Read("two.jsonl"), "1\n2\n3\n");
}

#ifndef _WIN32
TEST_F(RecordFileTest, LinesOfTwoProcessesNeverInterleave) {
    constexpr int LinesEach = 200;
    const std::string path = PathOf("shared.jsonl");
    pid_t writers[2];
    for (int writer = 0; writer < 2; ++writer) {
        writers[writer] = fork();
        ASSERT_GE(writers[writer], 0);
        if (writers[writer] == 0) {
            // Each its own open, as two programs would; long lines, so that a write split in
            // two would show.
            OpenedRecordFile opened = OpenRecordFile(path);
            for (int n = 0; opened.file && n < LinesEach; ++n) {
                const nlohmann::json line = {
                    {"writer", writer}, {"n", n}, {"pad", std::string(3000, 'a' + writer)}};
                if (!opened.file->Append(line.dump() + "\n").empty()) {
                    _exit(1);
                }
            }
            _exit(opened.file ? 0 : 1);
        }
    }
    for (const pid_t writer : writers) {
        int status = 0;
        ASSERT_EQ(waitpid(writer, &status, 0), writer);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    std::istringstream lines(Read("shared.jsonl"));
    std::set<std::pair<int, int>> seen;
    for (std::string line; std::getline(lines, line);) {
        const nlohmann::json parsed = nlohmann::json::parse(line, nullptr, false);
        ASSERT_FALSE(parsed.is_discarded()) << line.substr(0, 80);
        const int writer = parsed["writer"];
        EXPECT_EQ(parsed["pad"], std::string(3000, 'a' + writer));
        seen.emplace(writer, parsed["n"]);
    }
    EXPECT_EQ(seen.size(), 2u * LinesEach);
}
#endif

}  // namespace
}  // namespace corvane::platform
