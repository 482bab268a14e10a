#include "platform/registry/RegistryFileChoice.h"

#include <gtest/gtest.h>

namespace corvane::platform {
namespace {

TEST(RegistryFileChoice, GivenThenEnvironmentThenDefault) {
    EXPECT_EQ(ChooseRegistryFile("my.reg", "/opt/env.reg"), "my.reg");
    EXPECT_EQ(ChooseRegistryFile("", "/opt/env.reg"), "/opt/env.reg");
    EXPECT_EQ(ChooseRegistryFile("", ""), "/etc/corvane/registry.reg") << "set but empty";
    EXPECT_EQ(ChooseRegistryFile("", nullptr), "/etc/corvane/registry.reg");
}

}  // namespace
}  // namespace corvane::platform
