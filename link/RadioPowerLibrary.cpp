#include "link/RadioPowerLibrary.h"

namespace corvane {

void RadioPowerLibrary::ClearEntryPoints() {
    RHA_RadioPwrOn = nullptr;
    RHA_RadioPwrOff = nullptr;
    RHA_Init = nullptr;
    RHA_DeInit = nullptr;
}

void RadioPowerLibrary::Load(platform::LibraryLoader& loader) {
    if (library == nullptr) {
        // The update-specific build of the library takes precedence over the general one.
        library = loader.Load("RHA_SWUP.DLL");
        if (library == nullptr) {
            library = loader.Load("RHA.DLL");
        }
        if (library == nullptr) {
            ClearEntryPoints();
            return;
        }
    }
    RHA_RadioPwrOn = loader.Find(library, "RHA_RadioPwrOn");
    RHA_RadioPwrOff = loader.Find(library, "RHA_RadioPwrOff");
    RHA_Init = loader.Find(library, "RHA_Init");
    RHA_DeInit = loader.Find(library, "RHA_DeInit");
}

void RadioPowerLibrary::Release(platform::LibraryLoader& loader) {
    if (library != nullptr) {
        loader.Free(library);
    }
    library = nullptr;
    ClearEntryPoints();
}

}  // namespace corvane
