// The last adapter that worked, kept per user so that it is tried first next time: a board by
// its USB identity (never by a port name, which another board may have by then), or a network
// adapter by its address.
#pragma once

#include <optional>
#include <string>

#include "adapter/serial_ports.h"

namespace adapter {

struct RememberedAdapter {
    std::string tcp;  // "tcp:host:port"; empty for a board on USB
    std::string vendor;
    std::string product;
    std::string serialNumber;
};

// What is kept of an adapter that worked at `place` (what GPIB_ADAPTER says); nothing for a board
// without a serial number, which cannot be told from another of its kind.
std::optional<RememberedAdapter> RememberedOf(const std::string& place,
                                              const std::optional<UsbIdentity>& usb);
bool IsSameBoard(const RememberedAdapter& remembered, const UsbIdentity& usb);

// One line: "usb <vendor> <product> <serial number>" or "tcp:<host>:<port>".
std::string TextOf(const RememberedAdapter& remembered);
std::optional<RememberedAdapter> RememberedFromText(const std::string& text);

// Nothing when the file is missing or holds no such line.
std::optional<RememberedAdapter> ReadRemembered(const std::string& file);
// Creates the file's folder when missing; false when it cannot be written.
bool WriteRemembered(const std::string& file, const RememberedAdapter& remembered);

// The user's own file: $XDG_STATE_HOME/pulvar/last-adapter (~/.local/state/...) on Linux,
// %LOCALAPPDATA%\Pulvar\last-adapter.txt on Windows; empty where neither folder is known.
std::string RememberedAdapterFile();

}  // namespace adapter
