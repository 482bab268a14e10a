#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <string_view>

#include "fuzz/cases/Cases.h"
#include "fuzz/cases/ScratchFile.h"
#include "platform/registry/ConnectionSettings.h"
#include "platform/registry/RegFileRegistry.h"
#include "platform/registry/Utf16.h"

namespace corvane::fuzz {

namespace {

using platform::RegistryValue;

constexpr char16_t ByteOrderMark = 0xFEFF;
constexpr const char* MultiplexerKey = "Drivers\\BuiltIn\\Multiplexer";
constexpr const char* RilKey = "Software\\Microsoft\\RIL";
// The device's own buffer: five characters and a terminator.
constexpr size_t DevicePortNameCapacity = 6;
constexpr char16_t Canary = 0x5A5A;

struct ValueName {
    const char* key;
    const char* name;
};
constexpr std::array<ValueName, 3> SettingsValues{{
    {MultiplexerKey, "ParentPort"},
    {RilKey, "DataPortInternal"},
    {RilKey, "BaudRate"},
}};

// What the tool takes from a registry: the lookup's outcome and the three values it reads.
struct Reading {
    bool found = false;
    std::string portName;
    uint32_t baudRate = 0;
    std::array<std::optional<RegistryValue>, 3> values;

    bool operator==(const Reading& other) const {
        auto same = [](const std::optional<RegistryValue>& a,
                       const std::optional<RegistryValue>& b) {
            return a.has_value() == b.has_value() &&
                   (!a || (a->type == b->type && a->data == b->data));
        };
        return found == other.found && portName == other.portName && baudRate == other.baudRate &&
               std::equal(values.begin(), values.end(), other.values.begin(), same);
    }
};

Reading Read(const platform::Registry& registry) {
    Reading reading;
    reading.found =
        platform::LookupConnectionSettings(registry, reading.portName, reading.baudRate);
    for (size_t i = 0; i < SettingsValues.size(); ++i) {
        RegistryValue value;
        if (registry.QueryValue(platform::HKEY_LOCAL_MACHINE, SettingsValues[i].key,
                                SettingsValues[i].name, value)) {
            reading.values[i] = value;
        }
    }
    return reading;
}

// The port name is text the rest of the tool can use, of the length its buffer allows; read
// into the device's six-unit buffer, it ends in a terminator and stays inside the buffer.
void ExpectUsablePortName(const platform::Registry& registry, const Reading& reading,
                          Violations& violations) {
    const std::optional<std::u16string> units = platform::Utf8ToUtf16(reading.portName);
    Expect(violations, units.has_value(), "the port name is not well-formed UTF-8");
    Expect(violations, units && units->size() < platform::PortNameCapacity,
           "the port name is longer than its buffer");
    Expect(violations, reading.portName.find('\0') == std::string::npos,
           "the port name holds a zero byte");

    const auto buffer = std::make_unique<char16_t[]>(DevicePortNameCapacity);
    std::fill_n(buffer.get(), DevicePortNameCapacity, Canary);
    platform::ReadRegistryText(registry, platform::HKEY_LOCAL_MACHINE, MultiplexerKey, "ParentPort",
                               buffer.get(), DevicePortNameCapacity);
    // Once the key opens, the last unit is a terminator whether or not the value fitted;
    // without the key the buffer is not touched.
    const bool keyOpens = registry.HasKey(platform::HKEY_LOCAL_MACHINE, MultiplexerKey);
    const std::span<const char16_t> device(buffer.get(), DevicePortNameCapacity);
    Expect(violations,
           keyOpens
               ? device.back() == 0
               : std::all_of(device.begin(), device.end(), [](char16_t c) { return c == Canary; }),
           "a port name read into six units is not terminated, or written without its key");
}

std::span<const uint8_t> Bytes(const std::string& text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

// The same text in the other encoding the reader takes, when the input is text at all:
// UTF-8 becomes UTF-16LE behind a byte-order mark and back. The reader drops one leading mark
// in UTF-8 and takes everything behind the mark in UTF-16 as text, and so does the twin.
std::optional<std::string> OtherEncoding(std::span<const uint8_t> input) {
    const std::string_view bytes(reinterpret_cast<const char*>(input.data()), input.size());
    if (bytes.starts_with("\xFF\xFE")) {
        if (bytes.size() % 2 != 0) {
            return std::nullopt;
        }
        std::u16string units;
        for (size_t i = 2; i < bytes.size(); i += 2) {
            units.push_back(static_cast<char16_t>(input[i] | input[i + 1] << 8));
        }
        const std::string utf8 = platform::Utf16ToUtf8(units);
        // Lone surrogates have no UTF-8 form: such a text has no twin.
        if (platform::Utf8ToUtf16(utf8) != units) {
            return std::nullopt;
        }
        return "\xEF\xBB\xBF" + utf8;
    }
    std::optional<std::u16string> units = platform::Utf8ToUtf16(bytes);
    if (!units) {
        return std::nullopt;
    }
    if (!units->empty() && units->front() == ByteOrderMark) {
        units->erase(0, 1);
    }
    std::string utf16 = "\xFF\xFE";
    for (char16_t unit : *units) {
        utf16.push_back(static_cast<char>(unit & 0xFF));
        utf16.push_back(static_cast<char>(unit >> 8));
    }
    return utf16;
}

}  // namespace

Violations CheckRegistryFile(std::span<const uint8_t> input) {
    Violations violations;
    const std::string& path = WriteScratchFile(input);
    platform::RegFileRegistry registry;
    std::string error;
    const bool loaded = registry.Load(path, error);
    const Reading reading = Read(registry);

    Expect(violations, loaded || !error.empty(), "a file was refused without a reason");
    Expect(violations, loaded || (!reading.found && reading == Reading{}),
           "a refused file left values behind");
    ExpectUsablePortName(registry, reading, violations);

    if (const std::optional<std::string> twin = OtherEncoding(input)) {
        platform::RegFileRegistry twinRegistry;
        std::string twinError;
        const bool twinLoaded = twinRegistry.Parse(Bytes(*twin), twinError);
        Expect(violations, loaded == twinLoaded && (loaded || error == path + ": " + twinError),
               "the same text in UTF-8 and UTF-16 reads differently: \"" + error + "\" and \"" +
                   twinError + "\"");
        Expect(violations, Read(twinRegistry) == reading,
               "the same text in UTF-8 and UTF-16 gives different settings");
    }
    return violations;
}

}  // namespace corvane::fuzz
