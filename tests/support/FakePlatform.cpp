#include "tests/support/FakePlatform.h"

#include <gtest/gtest.h>

#include "link/RadioPowerLibrary.h"

namespace corvane::test {

FakePlatform::FakePlatform(uint32_t startTick)
    : clock(startTick),
      log(&clock),
      port(clock, log),
      libraries(log),
      platform{port, clock, libraries} {
    clock.RecordInto(&log);
}

FakePlatform::~FakePlatform() {
    if (expectReleased) {
        EXPECT_FALSE(port.IsOpen()) << "the port was left open";
        EXPECT_EQ(libraries.Loaded(), 0) << "a power library was left loaded";
        EXPECT_EQ(RadioPowerLibrary::library, nullptr) << "the power-library record was left set";
    }
    RadioPowerLibrary::library = nullptr;
    RadioPowerLibrary::RHA_RadioPwrOn = nullptr;
    RadioPowerLibrary::RHA_RadioPwrOff = nullptr;
    RadioPowerLibrary::RHA_Init = nullptr;
    RadioPowerLibrary::RHA_DeInit = nullptr;
}

}  // namespace corvane::test
