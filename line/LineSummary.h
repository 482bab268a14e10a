#pragma once

#include <chrono>
#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "line/PortRuns.h"

namespace corvane::line {

// What a line's updates came to, for the operator: counted as they end.
class LineSummary {
  public:
    void Add(const PortResult& result);

    size_t Written() const { return written; }
    size_t Failed() const { return failed; }
    size_t Stopped() const { return stopped; }
    // "5 updates: 3 written, 1 failed (6 Possibly modem not connected.: 1), 1 stopped; slowest
    // /dev/ttyUSB2, 16.4 s"; "no updates" before the first.
    std::string Text() const;

  private:
    size_t written = 0;
    size_t failed = 0;
    size_t stopped = 0;
    std::map<int, size_t> failedBy;
    std::string slowestPort;
    std::chrono::milliseconds slowest{-1};
};

// The command's exit status for the results in port order: 0 when every module was written,
// else the status of the first that was not: its result code, or 128 + signal when a stop ended
// it.
int LineExitStatus(const std::vector<PortResult>& inPortOrder, int signal);

}  // namespace corvane::line
