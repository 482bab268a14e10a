#include "platform/posix/PortErrorText.h"

#include <cerrno>
#include <cstring>

namespace corvane::platform::posix {

std::string DescribePortOpenError(int error) {
    switch (error) {
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return "no such device";
        case EACCES:
        case EPERM:
            return "permission denied (is the user in the dialout group?)";
        case EBUSY:
            // TIOCEXCL: ModemManager, for one, takes the ports of cellular modules this way.
            return "in use by another program that holds it exclusively";
        case ENOTTY:
        case EISDIR:
            return "not a serial port";
        default:
            return std::strerror(error);
    }
}

}  // namespace corvane::platform::posix
