// What Windows' device list says, read on any system: the USB identity in a device instance id,
// and the name that opens a COM port of any number.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "adapter/serial_ports.h"

namespace adapter {

// "USB\VID_0403&PID_6001\PXGEINXD": vendor, product and serial number; the strings are not in an
// instance id. Nothing for an id of another bus (FTDI's own "FTDIBUS\...") or of one interface
// of a composite board ("...&MI_00\..."): their USB device is a parent.
std::optional<UsbIdentity> UsbIdentityOfInstanceId(std::string_view id);

// "COM3", "com12": a COM port's name, any number.
bool IsComPortName(std::string_view name);
// The name CreateFile opens it by: "\\.\COM10" (COM10 and above are found by no other); a name
// given in that form already stays as it is.
std::string ComPortDevicePath(std::string_view name);

}  // namespace adapter
