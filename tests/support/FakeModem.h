#pragma once

#include "sim/ModemModel.h"
#include "sim/ModemOptions.h"
#include "tests/support/FakeSerialPort.h"

namespace corvane::test {

// The virtual module's model answering on a FakeSerialPort, on the virtual clock: every write
// goes to the model with the rate the port runs at, and what the model sends back is queued on
// the port after its delay; a hang-up drops the line behind the bytes sent before it. Output
// without end has no place on a port without wire time and fails the test (the pseudo-terminal
// tests have it). Installs itself as the port's module for its lifetime.
class FakeModem {
  public:
    FakeModem(FakeSerialPort& port, sim::ModemOptions options);
    ~FakeModem();
    FakeModem(const FakeModem&) = delete;
    FakeModem& operator=(const FakeModem&) = delete;

    const sim::ModemModel& Model() const { return model; }

  private:
    FakeSerialPort& port;
    sim::ModemModel model;
};

}  // namespace corvane::test
