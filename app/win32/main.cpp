#include <cstdlib>
#include <memory>
#include <string>

#include "app/win32/OpenFileDialog.h"
#include "app/win32/Win32UpdateDialog.h"
#include "platform/Platform.h"
#include "platform/registry/RegistryFileChoice.h"
#include "platform/win32/WideText.h"

// After the registry's names, which <windows.h> would take for its macros.
#include <shellapi.h>
#include <windows.h>

namespace {

// "--registry FILE" names a registry export to read the settings from instead of the system's.
std::string GivenRegistryFile() {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::string file;
    for (int i = 1; arguments && i + 1 < count; ++i) {
        if (std::wstring(arguments[i]) == L"--registry") {
            file = corvane::platform::win32::Utf8FromWide(arguments[i + 1]);
        }
    }
    LocalFree(arguments);
    return file;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    using namespace corvane;
    std::string registryProblem;
    const std::unique_ptr<platform::Registry> registry = platform::OpenSettingsRegistry(
        platform::ChooseRegistryFile(GivenRegistryFile(), std::getenv("CORVANE_REGISTRY")),
        registryProblem);
    Win32UpdateDialog dialog(
        {.registry = *registry,
         .procedure = UpdateController::ModuleProcedure(platform::Platform::System()),
         .chooseFile = ChooseParameterFile,
         .registryProblem = registryProblem});
    return dialog.Run(instance) == -1 ? 1 : 0;
}
