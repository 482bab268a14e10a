#pragma once

#include <sys/socket.h>
#include <sys/un.h>

#include <cstddef>
#include <cstring>
#include <string_view>

namespace corvane::sim {

// Where the virtual module serving a pseudo-terminal takes power-on requests: an abstract Unix
// socket named after the device, so that nothing is left behind in the file system. One
// connection is one power-on; the module answers with one byte once it is done. False when the
// device's name does not fit.
inline bool PowerControlAddress(std::string_view devicePath, sockaddr_un& address,
                                socklen_t& length) {
    static constexpr std::string_view Prefix = "corvane-modemsim-power:";
    address = {};
    address.sun_family = AF_UNIX;
    // The leading zero byte puts the name in the abstract namespace.
    const size_t size = 1 + Prefix.size() + devicePath.size();
    if (size > sizeof address.sun_path) {
        return false;
    }
    std::memcpy(address.sun_path + 1, Prefix.data(), Prefix.size());
    std::memcpy(address.sun_path + 1 + Prefix.size(), devicePath.data(), devicePath.size());
    length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + size);
    return true;
}

}  // namespace corvane::sim
