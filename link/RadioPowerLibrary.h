#pragma once

#include "platform/LibraryLoader.h"

namespace corvane {

// The device's radio power library, loaded for the time a link's port is open. Each link holds
// its own, so that links on different threads share nothing.
struct RadioPowerLibrary {
    platform::LibraryHandle library = nullptr;
    platform::EntryPoint RHA_RadioPwrOn = nullptr;
    platform::EntryPoint RHA_RadioPwrOff = nullptr;
    platform::EntryPoint RHA_Init = nullptr;
    platform::EntryPoint RHA_DeInit = nullptr;

    void Load(platform::LibraryLoader& loader);
    void Release(platform::LibraryLoader& loader);

  private:
    void ClearEntryPoints();
};

}  // namespace corvane
