#include "upload/RunUpload.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/upload/UploadRig.h"

namespace corvane {
namespace {

using test::ScriptedModule;

TEST(RunUpload, ChoosesTheProcedureByTheFamilysModelCode) {
    const std::pair<const char*, bool> families[] = {
        {"31", true},    {"47", false},    {"316", true},   {"40", false},
        {"39", true},    {"", true},       {"K47", true},   {"-7", true},
        {"3160", false}, {" +50x", false}, {nullptr, true}, {"4294967297", true},
    };
    for (const auto& [family, text] : families) {
        EXPECT_EQ(UsesTextProcedure(family), text) << (family ? family : "null");
    }

    test::UploadRig textRig("Lines:1\nA\n", ScriptedModule::Family::Text);
    EXPECT_EQ(RunUpload("31", "aud", textRig.filePath, test::PortName, test::ConfiguredRate,
                        textRig.Progress(), textRig.platform),
              ResultOk);
    EXPECT_EQ(textRig.BlockCommands(), std::vector<std::string>{"AT^QBNW=aud,0,1,1\r"});

    test::UploadRig binaryRig(test::Record(9), ScriptedModule::Family::Binary);
    EXPECT_EQ(RunUpload("47", "aud", binaryRig.filePath, test::PortName, test::ConfiguredRate,
                        binaryRig.Progress(), binaryRig.platform),
              ResultOk);
    EXPECT_EQ(binaryRig.module.blocks, std::vector<std::string>{test::Record(9)});
}

}  // namespace
}  // namespace corvane
