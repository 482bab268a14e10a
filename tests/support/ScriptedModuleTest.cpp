#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "link/ModuleLink.h"
#include "tests/support/FakePlatform.h"
#include "tests/support/ScriptedModule.h"

namespace corvane::test {
namespace {

using testing::ElementsAre;

// The module's knobs as the upload tests use them, seen through a real link: one command and
// one text block, and what comes back.
struct KnobCase {
    const char* name;
    std::function<void(ScriptedModule&)> set;
    std::string commandReply;
    BlockResult blockResult;
    size_t blocksTaken;
};

class ScriptedModuleTest : public testing::TestWithParam<KnobCase> {};

TEST_P(ScriptedModuleTest, KnobChangesWhatTheLinkSees) {
    FakePlatform fake;
    ScriptedModule module(fake.port);
    GetParam().set(module);
    ModuleLink link(fake.platform);
    ASSERT_TRUE(link.Open("COM1:", 115200));
    char reply[ReplyBufferSize];
    uint8_t text[16] = "a=1";

    link.SendCommand("AT\r", reply, ReplyBufferSize);
    EXPECT_EQ(std::string(reply), GetParam().commandReply);
    EXPECT_EQ(link.SendBlock("AT^QBNW=aud,0,1,2\r", text, 0, reply, ReplyBufferSize),
              GetParam().blockResult);
    EXPECT_EQ(module.blocks.size(), GetParam().blocksTaken);
    link.Close();
}

INSTANTIATE_TEST_SUITE_P(
    Knobs, ScriptedModuleTest,
    testing::Values(KnobCase{"Default", [](ScriptedModule&) {}, "\r\nOK\r\n",
                             BlockResult::Confirmed, 1},
                    KnobCase{"Numeric", [](ScriptedModule& m) { m.numeric = true; }, "0\r",
                             BlockResult::Confirmed, 1},
                    KnobCase{"NoEcho", [](ScriptedModule& m) { m.echo = false; }, "\r\nOK\r\n",
                             BlockResult::Confirmed, 1},
                    KnobCase{"Silent", [](ScriptedModule& m) { m.silent = true; }, "",
                             BlockResult::Unconfirmed, 0},
                    KnobCase{"OtherRate", [](ScriptedModule& m) { m.onlyAtRate = 57600; }, "",
                             BlockResult::Unconfirmed, 0},
                    KnobCase{"RefusesBlocks", [](ScriptedModule& m) { m.refuseBlocks = true; },
                             "\r\nOK\r\n", BlockResult::Unconfirmed, 1},
                    KnobCase{"IgnoresBlocks", [](ScriptedModule& m) { m.ignoreBlocks = true; },
                             "\r\nOK\r\n", BlockResult::Unconfirmed, 1},
                    KnobCase{"BinaryFamily",
                             [](ScriptedModule& m) { m.family = ScriptedModule::Family::Binary; },
                             "\r\nOK\r\n", BlockResult::DataRefused, 0}),
    [](const auto& info) { return info.param.name; });

TEST(ScriptedModule, RecordsCommandsAndAnswersTwoCommandsRunTogetherWithError) {
    FakePlatform fake;
    ScriptedModule module(fake.port);
    ModuleLink link(fake.platform);
    ASSERT_TRUE(link.Open("COM1:", 115200));
    char reply[ReplyBufferSize];

    link.SendCommand("AT^QBNW=aud,0", reply, ReplyBufferSize);
    link.SendCommand("AT^QMSO\r", reply, ReplyBufferSize);

    EXPECT_EQ(std::string(reply), "\r\nERROR\r\n");
    EXPECT_THAT(module.commands, ElementsAre("AT^QBNW=aud,0AT^QMSO\r"));
    link.Close();
}

}  // namespace
}  // namespace corvane::test
