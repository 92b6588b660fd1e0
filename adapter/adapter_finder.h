// Finding the adapter when none is named: which ports may be opened, in which order, and what to
// tell the user. A port is opened only when its USB identity names an adapter, or it is the
// board that worked last: opening a generic Arduino or USB serial port resets whatever is
// behind it (a 3D printer, a meter).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "adapter/remembered_adapter.h"
#include "adapter/serial_ports.h"

namespace adapter {

// A place that may be tried: a port, or the network adapter that worked last.
struct Candidate {
    std::string place;  // what GPIB_ADAPTER would say: "/dev/serial/by-id/...", "COM3", "tcp:..."
    std::string shown;  // in messages: "/dev/ttyUSB0 (Prologix GPIB-USB Controller)"
    std::optional<UsbIdentity> usb;
};

// The board says it is an adapter: its manufacturer or product string names a Prologix or an
// AR488. FTDI's vendor and product numbers alone say nothing: every FTDI cable has them.
bool NamesAnAdapter(const UsbIdentity& usb);

// A stable order: by name, a number in it by its value (COM2 before COM10, ttyUSB2 before
// ttyUSB10).
void SortPorts(std::vector<SerialPort>& ports);

// The port a user named ("/dev/ttyUSB0", a /dev/serial/by-id link to it, "com3"), if listed.
std::optional<SerialPort> PortNamed(const std::vector<SerialPort>& ports, const std::string& named);

// "/dev/ttyUSB0 (Prologix GPIB-USB Controller)", or the name alone when the board gives no text.
std::string Shown(const SerialPort& port);

// What may be tried, in order: the adapter that worked last (a network one, or a port with the
// same USB identity), then every port whose identity names an adapter.
std::vector<Candidate> CandidatesInOrder(std::vector<SerialPort> ports,
                                         const std::optional<RememberedAdapter>& last);

// Opens a candidate and asks it what it is: nothing when it is an adapter, else the reason.
using TryCandidate = std::function<std::optional<std::string>(const Candidate&)>;

struct Finding {
    std::optional<Candidate> found;
    // One line for standard error, the trace and a box: the adapter used and the others seen,
    // or why none is, the ports seen and how to name one.
    std::string message;
};

// Tries the candidates in order and takes the first that answers as an adapter.
Finding FindAdapter(const std::vector<SerialPort>& ports,
                    const std::optional<RememberedAdapter>& last, const TryCandidate& tryOne);

}  // namespace adapter
