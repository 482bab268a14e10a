#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "app/core/UpdateController.h"

namespace corvane::test {

// Stands in for the upload: reports progress, then, when held, waits until released; returns its
// code, or a stopped run when a stop was requested by then. Set it up before the update starts.
class ScriptedProcedure {
  public:
    UpdateController::Procedure Procedure();
    void Release();
    // It has made its reports.
    bool Entered() const { return entered; }
    int Runs() const { return runs; }
    UploadJob LastJob();

    std::vector<std::pair<uint32_t, uint32_t>> reports;
    bool hold = false;
    ResultCode code = ResultOk;
    std::string detail;

  private:
    std::mutex mutex;
    std::condition_variable released;
    bool open = false;
    UploadJob lastJob;
    std::atomic<bool> entered = false;
    std::atomic<int> runs = 0;
};

}  // namespace corvane::test
