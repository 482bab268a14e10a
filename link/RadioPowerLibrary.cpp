#include "link/RadioPowerLibrary.h"

namespace corvane {

namespace {

void ClearEntryPoints() {
    RadioPowerLibrary::RHA_RadioPwrOn = nullptr;
    RadioPowerLibrary::RHA_RadioPwrOff = nullptr;
    RadioPowerLibrary::RHA_Init = nullptr;
    RadioPowerLibrary::RHA_DeInit = nullptr;
}

}  // namespace

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
