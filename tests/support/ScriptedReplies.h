#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/FakeSerialPort.h"

namespace corvane::test {

// The simplest module: it answers the n-th write on the port with the n-th text of a list,
// latencyMs later, whatever was written. An empty text, or a write beyond the end of the list,
// gets no answer. With echo on, every write is echoed at once before its answer.
// Installs itself as the port's module for its lifetime.
class ScriptedReplies {
  public:
    ScriptedReplies(FakeSerialPort& port, std::vector<std::string> replies, bool echo = false,
                    uint64_t latencyMs = 5);
    ~ScriptedReplies();
    ScriptedReplies(const ScriptedReplies&) = delete;
    ScriptedReplies& operator=(const ScriptedReplies&) = delete;

    size_t Writes() const { return writes; }

  private:
    FakeSerialPort& port;
    std::vector<std::string> replies;
    size_t writes = 0;
};

}  // namespace corvane::test
