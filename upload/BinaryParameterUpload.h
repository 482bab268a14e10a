#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "link/ModuleLink.h"
#include "link/ResultCode.h"
#include "upload/ProgressCallback.h"
#include "upload/StopRequest.h"

namespace corvane {

// Writes a binary parameter file (big-endian length-prefixed records) into a K47 module.
class BinaryParameterUpload {
  public:
    BinaryParameterUpload();
    explicit BinaryParameterUpload(platform::Platform& platform);
    virtual ~BinaryParameterUpload();

    // With a stop request, looks at it before each record: a requested stop ends with the
    // closing sequence, returning StoppedResult.
    ResultCode Upload(const char* setName, const std::string& filePath, const std::string& portName,
                      uint32_t baudRate, const ProgressCallback& progress,
                      StopRequest* stop = nullptr);

    std::unique_ptr<ModuleLink> link;

  private:
    platform::Platform& platform;
};

}  // namespace corvane
