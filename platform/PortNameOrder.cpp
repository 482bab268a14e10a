#include <string_view>
#include <tuple>

#include "platform/SerialPortList.h"

namespace corvane::platform {

bool PortNameBefore(const std::string& a, const std::string& b) {
    // Port names end in their number ("ttyUSB10", "COM10"): by what comes before it, then by
    // the number, a shorter one being the smaller.
    const auto key = [](std::string_view name) {
        const size_t digits = name.find_last_not_of("0123456789") + 1;  // npos + 1 == 0
        return std::tuple(name.substr(0, digits), name.size() - digits, name.substr(digits));
    };
    return key(a) < key(b);
}

}  // namespace corvane::platform
