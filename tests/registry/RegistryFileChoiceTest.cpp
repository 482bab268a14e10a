#include "platform/registry/RegistryFileChoice.h"

#include <gtest/gtest.h>

#include "platform/SystemRegistry.h"

namespace corvane::platform {
namespace {

TEST(RegistryFileChoice, GivenThenEnvironmentThenTheSystemsOwn) {
    EXPECT_EQ(ChooseRegistryFile("my.reg", "/opt/env.reg"), "my.reg");
    EXPECT_EQ(ChooseRegistryFile("", "/opt/env.reg"), "/opt/env.reg");
    EXPECT_EQ(ChooseRegistryFile("", ""), "") << "set but empty";
    EXPECT_EQ(ChooseRegistryFile("", nullptr), "");

    std::string error;
    EXPECT_NE(OpenSettingsRegistry("corvane-no-such.reg", error), nullptr);
    EXPECT_EQ(error, "corvane-no-such.reg: no such file");
}

// Linux reads an export in the system's place; Windows its registry, which always opens.
TEST(RegistryFileChoice, NoFileMeansTheSystemsOwnRegistry) {
    std::string error;
    const std::unique_ptr<Registry> registry = OpenSettingsRegistry("", error);
    ASSERT_NE(registry, nullptr);
#ifdef _WIN32
    EXPECT_EQ(error, "");
#else
    EXPECT_TRUE(error.empty() || error.starts_with(SystemRegistryName)) << error;
#endif
}

}  // namespace
}  // namespace corvane::platform
