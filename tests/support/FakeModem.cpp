#include "tests/support/FakeModem.h"

#include <gtest/gtest.h>

namespace corvane::test {

FakeModem::FakeModem(FakeSerialPort& port, sim::ModemOptions options)
    : port(port), model(std::move(options)) {
    port.SetModule([this](std::span<const uint8_t> written) {
        for (const sim::ModemOutput& output :
             model.Receive(written, this->port.Rate(), this->port.Elapsed())) {
            if (output.endless) {
                ADD_FAILURE() << "endless output cannot be played on the fake port";
            } else if (output.hangUp) {
                this->port.HangUp(output.delayMs);
            } else {
                this->port.Deliver(output.bytes, output.delayMs);
            }
        }
    });
}

FakeModem::~FakeModem() {
    port.SetModule(nullptr);
}

}  // namespace corvane::test
