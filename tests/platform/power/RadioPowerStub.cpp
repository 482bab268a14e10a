// A stand-in for the device's radio power library, built under the real file names. Every
// event is appended as "<tag> <event>" to the file that CORVANE_RHA_LOG names: "load" and
// "unload" when the loader maps and unmaps the library, and the name of each entry point called.
// Which entry points exist is chosen when it is built (RHA_WITH_<name>).

#include <cstdio>
#include <cstdlib>

namespace {

void Log(const char* event) {
    const char* path = std::getenv("CORVANE_RHA_LOG");
    if (path == nullptr) {
        return;
    }
    std::FILE* log = std::fopen(path, "a");
    if (log == nullptr) {
        return;
    }
    std::fprintf(log, "%s %s\n", RHA_TAG, event);
    std::fclose(log);
}

[[gnu::constructor]] void Loaded() {
    Log("load");
}
[[gnu::destructor]] void Unloaded() {
    Log("unload");
}

}  // namespace

extern "C" {

#ifdef RHA_WITH_Init
int RHA_Init() {
    Log("RHA_Init");
    return 1;
}
#endif
#ifdef RHA_WITH_DeInit
int RHA_DeInit() {
    Log("RHA_DeInit");
    return 1;
}
#endif
#ifdef RHA_WITH_RadioPwrOn
int RHA_RadioPwrOn() {
    Log("RHA_RadioPwrOn");
    return 1;
}
#endif
#ifdef RHA_WITH_RadioPwrOff
int RHA_RadioPwrOff() {
    Log("RHA_RadioPwrOff");
    return 1;
}
#endif
}
