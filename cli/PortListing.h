#pragma once

#include <string>
#include <vector>

#include "cli/UpdateCommand.h"
#include "platform/SerialPortList.h"

namespace corvane::cli {

// corvane-update --list-ports: the ports on out, one a line, with what the system says of each
// and the port that the registry (chosen by the options, as for an update) names marked:
//     /dev/ttyUSB0  0403:6001  FTDI  FT232R USB UART  driver ftdi_sio  (the registry's port)
// On err what the listing cannot show: an export that does not read, a registry's port that is
// not among them, no port at all. Opens no port. The exit status: 0, or the usage error's when
// the export that --registry names does not read.
int ListPorts(const std::vector<platform::SerialPortInfo>& ports, const UpdateOptions& options,
              Console& console);

}  // namespace corvane::cli
