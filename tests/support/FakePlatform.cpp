#include "tests/support/FakePlatform.h"

#include <gtest/gtest.h>

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
    }
}

}  // namespace corvane::test
