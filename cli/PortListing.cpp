#include "cli/PortListing.h"

#include <memory>
#include <optional>

#include "platform/EscapedBytes.h"
#include "platform/registry/ConnectionSettings.h"
#include "platform/registry/RegistryFileChoice.h"

namespace corvane::cli {

namespace {

// The registry's port, empty when it names none; nothing when the export that --registry
// names does not read. Why a named export does not read is said on err; the system's own
// default export is only a help here, and often absent.
std::optional<std::string> RegistryPort(const UpdateOptions& options, std::ostream& err) {
    std::string error;
    const std::unique_ptr<platform::Registry> registry =
        platform::OpenSettingsRegistry(options.registryFile, error);
    if (!error.empty() && !options.registryFile.empty()) {
        err << "corvane-update: " << error << '\n';
        if (options.registryRequired) {
            return std::nullopt;
        }
    }
    std::string port;
    uint32_t rate = 0;
    platform::LookupConnectionSettings(*registry, port, rate);
    return port;
}

void PrintField(std::ostream& out, const std::string& label, const std::string& value) {
    if (!value.empty()) {
        out << "  " << label << EscapedText(value);
    }
}

}  // namespace

int ListPorts(const std::vector<platform::SerialPortInfo>& ports, const UpdateOptions& options,
              Console& console) {
    const std::optional<std::string> named = RegistryPort(options, console.err);
    if (!named) {
        return UsageErrorStatus;
    }
    const std::string& registryPort = *named;
    bool marked = false;
    for (const platform::SerialPortInfo& port : ports) {
        console.out << EscapedText(port.device);
        PrintField(console.out, "", port.usbId);
        PrintField(console.out, "", port.manufacturer);
        PrintField(console.out, "", port.product);
        PrintField(console.out, "driver ", port.driver);
        PrintField(console.out, "serial ", port.serialNumber);
        // Windows keeps the COM name for the device: no need to say it twice.
        if (port.stableName != port.device) {
            PrintField(console.out, "", port.stableName);
        }
        if (!registryPort.empty() && platform::NamesPort(registryPort, port)) {
            console.out << "  (the registry's port)";
            marked = true;
        }
        console.out << '\n';
    }
    if (ports.empty()) {
        console.err << "corvane-update: no serial ports found\n";
    }
    if (!registryPort.empty() && !marked) {
        const std::string kind = platform::DescribeUnlistedPort(registryPort);
        console.err << "corvane-update: " << EscapedText(registryPort) << ", the registry's port, "
                    << (kind.empty() ? "is not among the serial ports present" : kind) << '\n';
    }
    console.out << std::flush;
    console.err << std::flush;
    return 0;
}

}  // namespace corvane::cli
