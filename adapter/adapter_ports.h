// The serial ports the adapter library may look at: the system's, or those of a stand-in system
// below the folder GPIB_ADAPTER_ROOT names (tests).
#pragma once

#include <vector>

#include "adapter/serial_ports.h"

namespace adapter {

std::vector<SerialPort> ListAdapterPorts();

}  // namespace adapter
