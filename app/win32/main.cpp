#include <cstdlib>
#include <memory>
#include <string>

#include "app/win32/OpenFileDialog.h"
#include "app/win32/ProgramNotice.h"
#include "app/win32/Win32UpdateDialog.h"
#include "platform/RateText.h"
#include "platform/SystemPlatform.h"
#include "platform/registry/RegistryFileChoice.h"
#include "platform/win32/WideText.h"

// After the registry's names, which <windows.h> would take for its macros.
#include <shellapi.h>
#include <windows.h>

namespace {

// Usage errors exit with this, as with corvane-update.
constexpr int UsageErrorStatus = 64;

// What the command line names, in UTF-8: "--registry FILE", a registry export to read the
// settings from instead of the system's, "--port COM5" and "--baud RATE", which win over the
// registry, and a parameter file to take at start (what Explorer passes when a .prm file is
// opened with the program); or the version to print; or what is wrong with it.
struct WindowArguments {
    std::string registryFile;
    corvane::UpdateController::GivenSettings settings;
    std::string parameterFile;
    bool showVersion = false;
    std::string wrong;
};

WindowArguments ReadCommandLine() {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    WindowArguments given;
    for (int i = 1; arguments && i < count && given.wrong.empty(); ++i) {
        const std::string argument = corvane::platform::win32::Utf8FromWide(arguments[i]);
        const bool takesValue = argument == "--registry" || argument == "-p" ||
                                argument == "--port" || argument == "-b" || argument == "--baud";
        if (takesValue && i + 1 == count) {
            given.wrong = "Missing value after '" + argument + "'.";
        } else if (argument == "--registry") {
            given.registryFile = corvane::platform::win32::Utf8FromWide(arguments[++i]);
        } else if (argument == "-p" || argument == "--port") {
            given.settings.port = corvane::platform::win32::Utf8FromWide(arguments[++i]);
        } else if (argument == "-b" || argument == "--baud") {
            given.settings.baudRate = corvane::platform::ParseBaudRate(
                corvane::platform::win32::Utf8FromWide(arguments[++i]));
            if (!given.settings.baudRate) {
                given.wrong = std::string("--baud: ") + corvane::platform::BaudRateRule;
            }
        } else if (argument == "-V" || argument == "-v" || argument == "--version") {
            given.showVersion = true;
        } else if (argument == "--fullscreen") {
            // The Linux window's, for a handheld's screen; one command line serves both.
        } else if (argument.size() > 1 && argument[0] == '-') {
            given.wrong = "Unknown option '" + argument + "'.";
        } else if (!given.parameterFile.empty()) {
            given.wrong = "Unexpected argument: " + argument;
        } else {
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
    if (!given.wrong.empty()) {
        ShowNotice(Notice::Error, given.wrong);
        return UsageErrorStatus;
    }
    if (given.showVersion) {
        ShowNotice(Notice::Output, "Corvane " CORVANE_VERSION);
        return 0;
    }
    // As UTF-16: getenv's copy is in the ANSI code page, which may lack the path's letters.
    const wchar_t* registryVariable = _wgetenv(L"CORVANE_REGISTRY");
    const std::string registryValue =
        registryVariable != nullptr ? platform::win32::Utf8FromWide(registryVariable) : "";
    std::string registryProblem;
    const std::unique_ptr<platform::Registry> registry = platform::OpenSettingsRegistry(
        platform::ChooseRegistryFile(given.registryFile,
                                     registryVariable != nullptr ? registryValue.c_str() : nullptr),
        registryProblem);
    platform::SystemPlatform system;
    Win32UpdateDialog dialog({.registry = *registry,
                              .procedure = UpdateController::ModuleProcedure(system.Get()),
                              .chooseFile = ChooseParameterFile,
                              .registryProblem = registryProblem,
                              .givenFile = given.parameterFile,
                              .givenSettings = given.settings});
    return dialog.Run(instance) == -1 ? 1 : 0;
}
