#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "link/ModuleLink.h"
#include "link/ResultCode.h"
#include "upload/ProgressCallback.h"

namespace corvane {

// Writes a binary parameter file (big-endian length-prefixed records) into a K47 module.
class BinaryParameterUpload {
  public:
    BinaryParameterUpload();
    explicit BinaryParameterUpload(platform::Platform& platform);
    virtual ~BinaryParameterUpload();

    ResultCode Upload(const char* setName, const std::string& filePath, const std::string& portName,
                      uint32_t baudRate, const ProgressCallback& progress);

    std::unique_ptr<ModuleLink> link;

  private:
    platform::Platform& platform;
};

}  // namespace corvane
