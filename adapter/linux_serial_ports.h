// The USB serial ports as Linux shows them: sysfs for each board's identity, /dev/serial/by-id
// for the names that stay the same across plugging.
#pragma once

#include <filesystem>
#include <vector>

#include "adapter/serial_ports.h"

namespace adapter {

// The ports of the system whose root folder is `root` ("/" but in tests); the paths returned lie
// below it, the names are as the system itself has them.
std::vector<SerialPort> ListSerialPortsBelow(const std::filesystem::path& root);

}  // namespace adapter
