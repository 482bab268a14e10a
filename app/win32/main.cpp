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

// What the command line names, in UTF-8: "--registry FILE", a registry export to read the
// settings from instead of the system's, and a parameter file to take at start (what Explorer
// passes when a .prm file is opened with the program). Other options are not this window's.
struct WindowArguments {
    std::string registryFile;
    std::string parameterFile;
};

WindowArguments ReadCommandLine() {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    WindowArguments given;
    for (int i = 1; arguments && i < count; ++i) {
        const std::string argument = corvane::platform::win32::Utf8FromWide(arguments[i]);
        if (argument == "--registry" && i + 1 < count) {
            given.registryFile = corvane::platform::win32::Utf8FromWide(arguments[++i]);
        } else if (argument.rfind("--", 0) != 0) {
            given.parameterFile = argument;
        }
    }
    LocalFree(arguments);
    return given;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    using namespace corvane;
    const WindowArguments given = ReadCommandLine();
    std::string registryProblem;
    const std::unique_ptr<platform::Registry> registry = platform::OpenSettingsRegistry(
        platform::ChooseRegistryFile(given.registryFile, std::getenv("CORVANE_REGISTRY")),
        registryProblem);
    Win32UpdateDialog dialog(
        {.registry = *registry,
         .procedure = UpdateController::ModuleProcedure(platform::Platform::System()),
         .chooseFile = ChooseParameterFile,
         .registryProblem = registryProblem,
         .givenFile = given.parameterFile});
    return dialog.Run(instance) == -1 ? 1 : 0;
}
