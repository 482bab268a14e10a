#pragma once

#include "platform/LibraryLoader.h"

namespace corvane {

// The device's radio power library, loaded for the time a port is open. Process-wide: at most
// one link is between open and close at any time.
struct RadioPowerLibrary {
    static inline platform::LibraryHandle library = nullptr;
    static inline platform::EntryPoint RHA_RadioPwrOn = nullptr;
    static inline platform::EntryPoint RHA_RadioPwrOff = nullptr;
    static inline platform::EntryPoint RHA_Init = nullptr;
    static inline platform::EntryPoint RHA_DeInit = nullptr;

    static void Load(platform::LibraryLoader& loader);
    static void Release(platform::LibraryLoader& loader);
};

}  // namespace corvane
