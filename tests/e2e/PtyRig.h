#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/Platform.h"
#include "platform/posix/DlLibraryLoader.h"
#include "platform/posix/PosixSerialPort.h"
#include "platform/posix/SystemClock.h"
#include "sim/PtyModem.h"

namespace corvane::test {

// The real platform (termios port, system clock, dynamic loader) and a virtual module on a
// pseudo-terminal, in real time:
//
//     PtyRig rig({.family = sim::Family::K31, .rate = 57600});
//     ASSERT_TRUE(rig.Start());
//     ModuleLink link(rig.platform);
//     link.Open(rig.DevicePath(), 115200);
struct PtyRig {
    explicit PtyRig(sim::ModemOptions options) : modem(options) {}

    bool Start() {
        std::string error;
        const bool started = modem.Start(error);
        EXPECT_TRUE(started) << error;
        return started;
    }
    const std::string& DevicePath() const { return modem.DevicePath(); }

    sim::PtyModem modem;
    platform::posix::PosixSerialPort port;
    platform::posix::SystemClock clock;
    platform::posix::DlLibraryLoader libraries;
    platform::Platform platform{port, clock, libraries};
};

}  // namespace corvane::test
