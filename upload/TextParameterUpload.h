#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "link/ModuleLink.h"
#include "link/ResultCode.h"
#include "upload/ProgressCallback.h"

namespace corvane {

// Writes a text parameter file ("Lines:" header, data lines sent in pairs) into a K31 module.
class TextParameterUpload {
  public:
    TextParameterUpload();
    explicit TextParameterUpload(platform::Platform& platform);
    virtual ~TextParameterUpload();

    ResultCode Upload(const char* setName, const std::string& filePath, const std::string& portName,
                      uint32_t baudRate, const ProgressCallback& progress);

    std::unique_ptr<ModuleLink> link;

  private:
    platform::Platform& platform;
};

}  // namespace corvane
