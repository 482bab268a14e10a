#pragma once

#include <cstdint>

#include "platform/Platform.h"
#include "tests/support/EventLog.h"
#include "tests/support/FakeLibraryLoader.h"
#include "tests/support/FakeSerialPort.h"
#include "tests/support/VirtualClock.h"

namespace corvane::test {

// The three fakes wired to one virtual clock and one event log, and the platform::Platform
// that hands them to the code under test:
//
//     FakePlatform fake;
//     fake.libraries.Install("RHA.DLL");
//     FakeModem module(fake.port, {.family = sim::Family::K31});
//     ModuleLink link(fake.platform);
//
// On destruction it checks that the run left the port closed and no power library loaded
// (a gtest failure otherwise). A test that leaves them on purpose sets expectReleased to false.
struct FakePlatform {
    explicit FakePlatform(uint32_t startTick = 0);
    ~FakePlatform();
    FakePlatform(const FakePlatform&) = delete;
    FakePlatform& operator=(const FakePlatform&) = delete;

    VirtualClock clock;
    EventLog log;
    FakeSerialPort port;
    FakeLibraryLoader libraries;
    platform::Platform platform;
    bool expectReleased = true;
};

}  // namespace corvane::test
