#include "platform/posix/PortErrorText.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <utility>

namespace corvane::platform::posix {
namespace {

// The causes that cannot all be made for real (root is never refused), by their errno.
TEST(PortErrorText, NamesTheUsualCause) {
    const std::pair<int, const char*> reasons[] = {
        {ENOENT, "no such device"},
        {ENXIO, "no such device"},
        {ENODEV, "no such device"},
        {EACCES, "permission denied (is the user in the dialout group?)"},
        {EPERM, "permission denied (is the user in the dialout group?)"},
        {EBUSY, "in use by another program that holds it exclusively"},
        {ENOTTY, "not a serial port"},
        {EISDIR, "not a serial port"},
        {EIO, "Input/output error"},
    };
    for (const auto& [error, reason] : reasons) {
        EXPECT_EQ(DescribePortOpenError(error), reason) << error;
    }
}

}  // namespace
}  // namespace corvane::platform::posix
