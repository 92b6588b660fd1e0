// The serial ports the adapter library may look at.
#include "adapter/adapter_ports.h"

#include <cstdlib>

#ifndef _WIN32
#include "adapter/linux_serial_ports.h"
#endif

namespace adapter {

std::vector<SerialPort> ListAdapterPorts() {
#ifndef _WIN32
    if (const char* root = std::getenv("GPIB_ADAPTER_ROOT"); root && *root) {
        return ListSerialPortsBelow(root);
    }
#endif
    return ListSerialPorts();
}

}  // namespace adapter
