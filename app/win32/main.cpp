#include <algorithm>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/core/StationArguments.h"
#include "app/win32/OpenFileDialog.h"
#include "app/win32/ProgramNotice.h"
#include "app/win32/RecordFileDialog.h"
#include "app/win32/Win32StationWindow.h"
#include "app/win32/Win32UpdateDialog.h"
#include "line/LineUpdate.h"
#include "platform/RateText.h"
#include "platform/SystemPlatform.h"
#include "platform/UserRecordPath.h"
#include "platform/registry/ConnectionSettings.h"
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

// The arguments after the program's name, in UTF-8.
std::vector<std::string> CommandLineArguments() {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> read;
    for (int i = 1; arguments && i < count; ++i) {
        read.push_back(corvane::platform::win32::Utf8FromWide(arguments[i]));
    }
    LocalFree(arguments);
    return read;
}

WindowArguments ReadWindowArguments(const std::vector<std::string>& arguments) {
    WindowArguments given;
    for (size_t i = 0; i < arguments.size() && given.wrong.empty(); ++i) {
        const std::string& argument = arguments[i];
        const bool takesValue = argument == "--registry" || argument == "-p" ||
                                argument == "--port" || argument == "-b" || argument == "--baud";
        if (takesValue && i + 1 == arguments.size()) {
            given.wrong = "Missing value after '" + argument + "'.";
        } else if (argument == "--registry") {
            given.registryFile = arguments[++i];
        } else if (argument == "-p" || argument == "--port") {
            given.settings.port = arguments[++i];
        } else if (argument == "-b" || argument == "--baud") {
            given.settings.baudRate = corvane::platform::ParseBaudRate(arguments[++i]);
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
    return given;
}

// The station's command line: the options both windows read (--registry, --fullscreen,
// --version) taken out, the rest the station's own.
struct StationCommandLine {
    std::string registryFile;
    bool showVersion = false;
    corvane::StationArguments station;
};

StationCommandLine ReadStationCommandLine(const std::vector<std::string>& arguments) {
    StationCommandLine given;
    std::vector<std::string> own;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--registry" && i + 1 == arguments.size()) {
            given.station.wrong = "Missing value after '--registry'.";
            return given;
        } else if (argument == "--registry") {
            given.registryFile = arguments[++i];
        } else if (argument == "-V" || argument == "-v" || argument == "--version") {
            given.showVersion = true;
        } else if (argument != "--fullscreen") {
            own.push_back(argument);
        }
    }
    given.station = corvane::ReadStationArguments(own);
    return given;
}

// The exit status when the program ends before any window: the command line is wrong (said in a
// box or on the console) or asks for the version.
std::optional<int> EndsEarly(const std::string& wrong, bool showVersion) {
    using corvane::Notice;
    if (!wrong.empty()) {
        corvane::ShowNotice(Notice::Error, wrong);
        return UsageErrorStatus;
    }
    if (showVersion) {
        corvane::ShowNotice(Notice::Output, "Corvane " CORVANE_VERSION);
        return 0;
    }
    return std::nullopt;
}

// The settings' registry: --registry's export, else CORVANE_REGISTRY's, else the system's.
std::unique_ptr<corvane::platform::Registry> OpenRegistry(const std::string& registryFile,
                                                          std::string& problem) {
    // As UTF-16: getenv's copy is in the ANSI code page, which may lack the path's letters.
    const wchar_t* registryVariable = _wgetenv(L"CORVANE_REGISTRY");
    const std::string registryValue =
        registryVariable != nullptr ? corvane::platform::win32::Utf8FromWide(registryVariable) : "";
    return corvane::platform::OpenSettingsRegistry(
        corvane::platform::ChooseRegistryFile(
            registryFile, registryVariable != nullptr ? registryValue.c_str() : nullptr),
        problem);
}

int RunStation(HINSTANCE instance, const std::vector<std::string>& arguments) {
    using namespace corvane;
    const StationCommandLine given = ReadStationCommandLine(arguments);
    if (const std::optional<int> status = EndsEarly(given.station.wrong, given.showVersion)) {
        return *status;
    }
    // The registry's rate is tried first, as in the dialog; a line has no one port to read.
    std::string registryProblem;
    const std::unique_ptr<platform::Registry> registry =
        OpenRegistry(given.registryFile, registryProblem);
    std::string port;
    uint32_t baudRate = platform::DefaultBaudRate;
    platform::LookupConnectionSettings(*registry, port, baudRate);
    Win32StationWindow window(
        {.setup = {.procedure = line::RunLineUpdate,
                   .baudRate = given.station.baudRate.value_or(baudRate),
                   .recordPath = given.station.recordFile.empty() ? platform::UserRecordPath()
                                                                  : given.station.recordFile,
                   .givenFile = given.station.parameterFile,
                   .givenPorts = given.station.ports},
         .chooseFile = ChooseParameterFile,
         .chooseRecordFile = ChooseRecordFile});
    return window.Run(instance) == -1 ? 1 : 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    using namespace corvane;
    const std::vector<std::string> arguments = CommandLineArguments();
    if (std::find(arguments.begin(), arguments.end(), "--station") != arguments.end()) {
        return RunStation(instance, arguments);
    }
    const WindowArguments given = ReadWindowArguments(arguments);
    if (const std::optional<int> status = EndsEarly(given.wrong, given.showVersion)) {
        return *status;
    }
    std::string registryProblem;
    const std::unique_ptr<platform::Registry> registry =
        OpenRegistry(given.registryFile, registryProblem);
    platform::SystemPlatform system;
    Win32UpdateDialog dialog({.registry = *registry,
                              .procedure = UpdateController::ModuleProcedure(system.Get()),
                              .chooseFile = ChooseParameterFile,
                              .registryProblem = registryProblem,
                              .givenFile = given.parameterFile,
                              .givenSettings = given.settings});
    return dialog.Run(instance) == -1 ? 1 : 0;
}
