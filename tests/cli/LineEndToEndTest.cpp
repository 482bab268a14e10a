// corvane-update on many ports at once and in watch mode, in real time, against virtual modules
// on pseudo-terminals, with the record read back.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "sim/PtyModem.h"
#include "tests/cli/ChildProcess.h"
#include "tests/cli/SampleSets.h"
#include "tests/cli/ScratchDirectory.h"

namespace corvane::cli {
namespace {

using Json = nlohmann::json;
using ::testing::HasSubstr;

std::vector<Json> RecordLines(const std::string& path) {
    std::vector<Json> lines;
    std::istringstream text(FileContents(path));
    for (std::string line; std::getline(text, line);) {
        lines.push_back(Json::parse(line));  // a cut or merged line throws
    }
    return lines;
}

size_t LineCount(const std::string& path) {
    const std::string text = FileContents(path);
    return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

// Four modules at once, the third of which answers block commands with ERROR: each is written or
// fails alone, the exit status is the first failure's, and the record holds every field of each
// run.
TEST(LineEndToEndTest, SeveralPortsAtOnceEachWithItsRecordLine) {
    ScratchDirectory directory;
    std::vector<std::unique_ptr<sim::PtyModem>> modems;
    std::vector<std::string> arguments = {"-f", "47", "--record", directory.PathOf("r.jsonl")};
    for (int k = 0; k < 4; ++k) {
        sim::ModemOptions options{.family = sim::Family::K47};
        options.faults.blockError = k == 2;
        modems.push_back(std::make_unique<sim::PtyModem>(options));
        std::string error;
        ASSERT_TRUE(modems.back()->Start(error)) << error;
        arguments.insert(arguments.end(), {"-p", modems.back()->DevicePath()});
    }
    arguments.push_back(BinarySample);
    const ChildResult run = RunChild(CORVANE_UPDATE_COMMAND, arguments, {});

    EXPECT_EQ(run.status, 7) << run.err;
    EXPECT_THAT(run.err,
                HasSubstr(modems[2]->DevicePath() + ": failed: 7 Probably Wrong module type."));
    EXPECT_THAT(run.err,
                HasSubstr("4 updates: 3 written, 1 failed (7 Probably Wrong module type.: 1)"));
    const std::vector<Json> records = RecordLines(directory.PathOf("r.jsonl"));
    ASSERT_EQ(records.size(), 4u);
    std::map<std::string, Json> byPort;
    for (const Json& record : records) {
        byPort[record.at("port")] = record;
    }
    for (int k = 0; k < 4; ++k) {
        modems[k]->Stop();
        SCOPED_TRACE(k);
        const Json& record = byPort.at(modems[k]->DevicePath());
        EXPECT_THAT(
            record.at("started").get<std::string>(),
            ::testing::MatchesRegex("20[0-9][0-9]-[01][0-9]-[0-3][0-9]T[0-9:]{8}\\.[0-9]{3}Z"));
        EXPECT_GT(record.at("duration_ms").get<int>(), 100);
        EXPECT_FALSE(record.at("host").get<std::string>().empty());
        EXPECT_EQ(record.at("version"), CORVANE_VERSION);
        EXPECT_TRUE(record.at("usb_id").is_null() && record.at("serial").is_null() &&
                    record.at("stable_name").is_null())
            << "a pseudo-terminal has none";
        EXPECT_EQ(record.at("family"), "K47");
        EXPECT_EQ(record.at("file"), BinarySample);
        EXPECT_EQ(record.at("file_size").get<size_t>(), FileContents(BinarySample).size());
        EXPECT_EQ(record.at("file_sha256").get<std::string>().size(), 64u);
        EXPECT_EQ(record.at("set"), "aud");
        EXPECT_EQ(record.at("rate"), 115200);
        EXPECT_EQ(record.at("result"), k == 2 ? 7 : 0);
        EXPECT_EQ(record.at("written").get<size_t>(), k == 2 ? 0u : modems[k]->StoredSet().size());
        EXPECT_EQ(record.at("result_text"),
                  k == 2 ? "Probably Wrong module type." : "Audio Parameter Update successfull");
        EXPECT_EQ(record.at("detail").is_null(), k != 2);
        EXPECT_EQ(record.at("stopped"), false);
    }
}

// Thirty-two modules plugged in and out five times: each plug-in is updated once, and each update
// has one whole line in the record.
TEST(LineEndToEndTest, WatchUpdatesEachModuleOncePerPlugIn) {
    constexpr int Modules = 32;
    constexpr int Cycles = 5;
    ScratchDirectory directory;
    const std::string record = directory.PathOf("r.jsonl");
    ChildProcess watch(CORVANE_UPDATE_COMMAND,
                       {"-q", "--watch", "--match", directory.PathOf("port-*"), "--count",
                        std::to_string(Modules * Cycles), "--record", record, TextSample},
                       {});
    std::vector<std::unique_ptr<sim::PtyModem>> unplugged;
    for (int cycle = 1; cycle <= Cycles; ++cycle) {
        std::vector<std::unique_ptr<sim::PtyModem>> modems;
        for (int k = 0; k < Modules; ++k) {
            modems.push_back(std::make_unique<sim::PtyModem>(sim::ModemOptions{}));
            std::string error;
            ASSERT_TRUE(modems.back()->Start(error)) << error;
            ASSERT_TRUE(
                modems.back()->Publish(directory.PathOf("port-" + std::to_string(k)), error))
                << error;
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (LineCount(record) < static_cast<size_t>(Modules * cycle) &&
               std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        ASSERT_EQ(LineCount(record), static_cast<size_t>(Modules * cycle)) << watch.ErrSoFar();
        // Still plugged in a while longer: nothing more may be written to them.
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        for (auto& modem : modems) {
            modem->Stop();  // the link goes: unplugged
            const std::vector<std::string> commands = modem->Commands();
            EXPECT_EQ(std::count(commands.begin(), commands.end(), "AT^QMSO"), 1)
                << "one update per plug-in, cycle " << cycle;
            unplugged.push_back(std::move(modem));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    const ChildResult ended = watch.Wait();
    EXPECT_EQ(ended.status, 0) << ended.err;
    std::map<std::string, int> updates;
    for (const Json& line : RecordLines(record)) {
        EXPECT_EQ(line.at("result"), 0) << line.dump();
        ++updates[line.at("port")];
    }
    EXPECT_EQ(updates.size(), static_cast<size_t>(Modules));
    for (const auto& [port, count] : updates) {
        EXPECT_EQ(count, Cycles) << port;
    }
}

}  // namespace
}  // namespace corvane::cli
