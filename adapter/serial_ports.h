// The serial ports of this computer, and the identity a board on USB gives there.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace adapter {

struct UsbIdentity {
    std::string vendor;        // four hex digits in lower case: "0403"
    std::string product;       // "6001"
    std::string serialNumber;  // empty when the board has none
    std::string manufacturer;  // "Prologix"; empty where the system does not tell (Windows)
    std::string description;   // the product string: "Prologix GPIB-USB Controller"
};

struct SerialPort {
    std::string name;  // as the user knows it: "/dev/ttyUSB0", "COM3"
    std::string path;  // what GPIB_ADAPTER names to reach it: "/dev/serial/by-id/...", "COM3"
    std::optional<UsbIdentity> usb;
};

// As the system lists them now, in no particular order; Linux leaves out the ports on no USB bus
// (a PC's ttyS0 to ttyS31, most of which are not there). Nothing is opened to find them.
std::vector<SerialPort> ListSerialPorts();

}  // namespace adapter
